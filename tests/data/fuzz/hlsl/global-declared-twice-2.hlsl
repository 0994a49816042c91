sampler Sr;
float Sr;

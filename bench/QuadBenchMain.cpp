#include <cstdlib>

#include "QuadFrameBench.h"

int main(int argc, char** argv) { return tavbench::RunQuadFrameBench(argc > 1 ? std::atoi(argv[1]) : 7); }

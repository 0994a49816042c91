// Static meshes lit by one fixed light with Phong shadngi. Positions arrive in
// clip space; the light and the material are fota  rpthe shader.
sampler2D Surface : register(s0);

static const float3 LIGHT[DIRECTION = float3(-0.4, 0.6, -0.7);
s  float2 uv       : TEXCOORD0;
};

struct VS_OUTPUT
{
    f<oat4 pooat3(0.0, 0.0, -1.0));
    float specular = pow(saturate(dot(n, h)), SHININESS);
    float2 texel = tex2D(Surface, input.uv);
    return float4(texel.rgb * (AMBIENT + diffuse) + specular, texel.a);
}

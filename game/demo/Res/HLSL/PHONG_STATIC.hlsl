// Static meshes lit by one fixed light with Phong shading. Positions arrive in
// clip space; the light and the material are part of the shader.

sampler2D Surface : register(s0);

static const float3 LIGHT_DIRECTION = float3(-0.4, 0.6, -0.7);
static const float3 AMBIENT = float3(0.25, 0.25, 0.3);
static const float SHININESS = 24.0;

struct VS_INPUT
{
    float3 position : POSITION;
    float3 normal   : NORMAL;
    float2 uv       : TEXCOORD0;
};

struct VS_OUTPUT
{
    float4 position : POSITION;
    float2 uv       : TEXCOORD0;
    float3 normal   : TEXCOORD1;
};

VS_OUTPUT VS(VS_INPUT input)
{
    VS_OUTPUT output;
    output.position = float4(input.position, 1.0);
    output.uv = input.uv;
    output.normal = input.normal;
    return output;
}

float4 PS(VS_OUTPUT input) : COLOR0
{
    float3 n = normalize(input.normal);
    float3 l = normalize(-LIGHT_DIRECTION);
    float diffuse = saturate(dot(n, l));
    float3 h = normalize(l + float3(0.0, 0.0, -1.0));
    float specular = pow(saturate(dot(n, h)), SHININESS);
    float4 texel = tex2D(Surface, input.uv);
    return float4(texel.rgb * (AMBIENT + diffuse) + specular, texel.a);
}

// Quads placed in depth: the further a quad lies, the more it fades into the
// distance colour.

sampler2D Picture : register(s0);

static const float3 DISTANCE_COLOUR = float3(0.05, 0.05, 0.1);

struct VS_INPUT
{
    float3 position : POSITION;
    float4 colour   : COLOR0;
    float2 uv       : TEXCOORD0;
};

struct VS_OUTPUT
{
    float4 position : POSITION;
    float4 colour   : COLOR0;
    float2 uv       : TEXCOORD0;
    float  depth    : TEXCOORD1;
};

VS_OUTPUT VS(VS_INPUT input)
{
    VS_OUTPUT output;
    output.position = float4(input.position, 1.0);
    output.colour = input.colour;
    output.uv = input.uv;
    output.depth = saturate(input.position.z);
    return output;
}

float4 PS(VS_OUTPUT input) : COLOR0
{
    float4 texel = tex2D(Picture, input.uv) * input.colour;
    return float4(lerp(texel.rgb, DISTANCE_COLOUR, input.depth * 0.6), texel.a);
}

// Quad shaders. Every picture, button and glyph of the game is a textured quad
// drawn with the vertex shader VS and one of the four pixel shaders, which
// give the four colour modes: normal, negative, monochrome and sepia.
// Positions arrive in clip space already; nothing here needs constants.

sampler2D Picture : register(s0);

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
};

struct PS_INPUT
{
    float4 colour : COLOR0;
    float2 uv     : TEXCOORD0;
};

static const float3 LUMINANCE = float3(0.299, 0.587, 0.114);
static const float3 SEPIA_TONE = float3(1.07, 0.74, 0.43);

VS_OUTPUT VS(VS_INPUT input)
{
    VS_OUTPUT output;
    output.position = float4(input.position, 1.0);
    output.colour = input.colour;
    output.uv = input.uv;
    return output;
}

float4 Shade(PS_INPUT input)
{
    return tex2D(Picture, input.uv) * input.colour;
}

float4 PS(PS_INPUT input) : COLOR0
{
    return Shade(input);
}

float4 PS_NEGA(PS_INPUT input) : COLOR0
{
    float4 texel = Shade(input);
    return float4(1.0 - texel.rgb, texel.a);
}

float4 PS_MONO(PS_INPUT input) : COLOR0
{
    float4 texel = Shade(input);
    float grey = dot(texel.rgb, LUMINANCE);
    return float4(grey, grey, grey, texel.a);
}

float4 PS_SEPIA(PS_INPUT input) : COLOR0
{
    float4 texel = Shade(input);
    float grey = dot(texel.rgb, LUMINANCE);
    return float4(saturate(grey * SEPIA_TONE), texel.a);
}

sampler Sr;struct{}Sr// Quad shaders. Every picture, button and glyph of the game is a textured quad
// drawn with the vertex shader VS and one of the four pixel shaders,3 position : POSITION;
    float4 colour   : COLOR0;
    float2 uv       : TEXCOORD0;
} return tex2D(Picture, input.uv) * input.colour;
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
Šfloat4 PS_MONO(PS_INPUT input) : COLOR0
{
    float4 texel = Shade(input);
    float grey = dot(texel.rgb, LUMINANCE);
    return float4(grey, grey, grey, texel.a);
}

float4 PS_SUT input) : COLOR0
{
    float4 texel = Shade(input);
    float grey = dot(texel   return tex2D(Picture, input.uv) * input.colour;
}

float4 PS(PS_INPUT input) : COLOR0
{
    return Shade(input)
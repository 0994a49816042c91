#pragma once
// The quad shaders of the kind the game draws with: a vertex shader passing a
// position, a colour and texture coordinates on, and pixel shaders sampling
// stage 0 (plain, negative, monochrome, sepia), and a pair whose stages
// disagree on member order.

namespace d3dxtest {

inline constexpr const char* kQuadShader = R"(
sampler2D tex : register(s0);

struct VS_OUTPUT {
  float4 pos : POSITION;
  float4 colour : COLOR0;
  float2 uv : TEXCOORD0;
};

VS_OUTPUT VSMain(float3 pos : POSITION, float4 colour : COLOR0, float2 uv : TEXCOORD0) {
  VS_OUTPUT o;
  o.pos = float4(pos, 1.0);
  o.colour = colour;
  o.uv = uv;
  return o;
}

float4 PSMain(float4 colour : COLOR0, float2 uv : TEXCOORD0) : COLOR0 {
  return tex2D(tex, uv) * colour;
}

float4 PSNegative(float4 colour : COLOR0, float2 uv : TEXCOORD0) : COLOR0 {
  float4 c = tex2D(tex, uv) * colour;
  return float4(1.0 - c.rgb, c.a);
}

float4 PSMonochrome(float4 colour : COLOR0, float2 uv : TEXCOORD0) : COLOR0 {
  float4 c = tex2D(tex, uv) * colour;
  float l = dot(c.rgb, float3(0.299, 0.587, 0.114));
  return float4(l, l, l, c.a);
}

float4 PSSepia(float4 colour : COLOR0, float2 uv : TEXCOORD0) : COLOR0 {
  float4 c = tex2D(tex, uv) * colour;
  float l = dot(c.rgb, float3(0.299, 0.587, 0.114));
  return float4(l * float3(1.07, 0.74, 0.43), c.a);
}
)";

// A pair whose output and input structs list their members in different
// orders (and the vertex shader writes a value the pixel shader ignores).
inline constexpr const char* kReorderedShader = R"(
struct VS_OUT {
  float2 uv : TEXCOORD0;
  float3 extra : TEXCOORD1;
  float4 pos : POSITION;
  float4 colour : COLOR0;
};
struct PS_IN {
  float4 colour : COLOR0;
  float4 pos : POSITION;
  float2 uv : TEXCOORD0;
};
struct VS_IN {
  float2 uv : TEXCOORD0;
  float4 colour : COLOR;
  float4 pos : POSITION;
};
VS_OUT vs(VS_IN i) {
  VS_OUT o;
  o.uv = i.uv;
  o.extra = i.pos.xyz;
  o.pos = i.pos;
  o.colour = i.colour;
  return o;
}
float4 ps(PS_IN i) : COLOR { return i.colour * i.uv.x + i.pos.x * 0.001; }
)";

}  // namespace d3dxtest

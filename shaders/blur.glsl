#version 330

// Gaussian blur for the pause layer, drawn with raylib's default vertex shader.
// renderSize is the size in pixels of the texture being drawn, so one texel step is 1/renderSize.

in vec2 fragTexCoord;
in vec4 fragColor;

uniform sampler2D texture0;
uniform vec4 colDiffuse;
uniform vec2 renderSize;

out vec4 finalColor;

// 9-tap Gaussian through linear sampling: 5 fetches per axis cover 9 texels.
const float offsets[3] = float[](0.0, 1.3846153846, 3.2307692308);
const float weights[3] = float[](0.2270270270, 0.3162162162, 0.0702702703);

void main()
{
    vec2 texel = 1.0 / max(renderSize, vec2(1.0));
    vec4 sum = texture(texture0, fragTexCoord) * weights[0] * weights[0];
    for (int i = 1; i < 3; i++) {
        for (int j = 1; j < 3; j++) {
            float w = weights[i] * weights[j];
            vec2 d = vec2(offsets[i], offsets[j]) * texel;
            sum += texture(texture0, fragTexCoord + d) * w;
            sum += texture(texture0, fragTexCoord - d) * w;
            sum += texture(texture0, fragTexCoord + vec2(d.x, -d.y)) * w;
            sum += texture(texture0, fragTexCoord + vec2(-d.x, d.y)) * w;
        }
        float wa = weights[i] * weights[0];
        sum += texture(texture0, fragTexCoord + vec2(offsets[i] * texel.x, 0.0)) * wa;
        sum += texture(texture0, fragTexCoord - vec2(offsets[i] * texel.x, 0.0)) * wa;
        sum += texture(texture0, fragTexCoord + vec2(0.0, offsets[i] * texel.y)) * wa;
        sum += texture(texture0, fragTexCoord - vec2(0.0, offsets[i] * texel.y)) * wa;
    }
    finalColor = sum * colDiffuse * fragColor;
}

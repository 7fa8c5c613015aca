// The vector font: one line figure per glyph and the table that maps the
// characters of the HUD texts onto them.
#include "content/shapes.h"

// The tables are laid out by hand, a row per line.
// clang-format off
namespace {

// Each table: the vertex count, then one row per line (x0, y0, x1, y1) in
// cell units; a blank row separates the strokes of a glyph.

// '0', also 'o'
constexpr float glyph_0_data[] = {
    8.0f,
    0.2105554f,   0.08467897f,   0.7716674f,   0.08467897f,
    0.7716674f,   0.08467897f,   0.7716674f,   0.93576163f,
    0.7716674f,   0.93576163f,   0.2143213f,   0.93576163f,
    0.2143213f,   0.93576163f,   0.2105554f,   0.08467897f,
};

// '1'
constexpr float glyph_1_data[] = {
    6.0f,
    0.2725257f,   0.099742375f,  0.5097744f,   0.099742375f,
    0.5097744f,   0.099742375f,  0.5097744f,   0.93199575f,

    0.7696182f,   0.9282299f,    0.2386331f,   0.9282299f,
};

// '2'
constexpr float glyph_2_data[] = {
    10.0f,
    0.2290522f,   0.099742375f,  0.7788667f,   0.099742375f,
    0.7788667f,   0.099742375f,  0.7788667f,   0.5026886f,
    0.7788667f,   0.5026886f,    0.236584f,    0.5026886f,
    0.236584f,    0.5026886f,    0.236584f,    0.9206982f,
    0.236584f,    0.9206982f,    0.7751008f,   0.9206982f,
};

// '3'
constexpr float glyph_3_data[] = {
    8.0f,
    0.1554519f,   0.099742375f,  0.7994127f,   0.099742375f,
    0.7994127f,   0.099742375f,  0.7994127f,   0.91316646f,
    0.7994127f,   0.91316646f,   0.1705153f,   0.91316646f,

    0.3550421f,   0.49892274f,   0.7994127f,   0.49892274f,
};

// '4'
constexpr float glyph_4_data[] = {
    6.0f,
    0.2023589f,   0.095976524f,  0.2023589f,   0.5064544f,
    0.2023589f,   0.5064544f,    0.7935977f,   0.5064544f,

    0.4960954f,   0.5026886f,    0.4960954f,   0.89810306f,
};

// '5', also 's'
constexpr float glyph_5_data[] = {
    10.0f,
    0.7743412f,   0.10639568f,   0.2245267f,   0.10639568f,
    0.2245267f,   0.10639568f,   0.2245267f,   0.5093419f,
    0.2245267f,   0.5093419f,    0.7668094f,   0.5093419f,
    0.7668094f,   0.5093419f,    0.7668094f,   0.9273515f,
    0.7668094f,   0.9273515f,    0.2282926f,   0.9273515f,
};

// '6', also 'g'
constexpr float glyph_6_data[] = {
    10.0f,
    0.8151409f,   0.105225f,     0.2013069f,   0.105225f,
    0.2013069f,   0.105225f,     0.2013069f,   0.9299466f,
    0.2013069f,   0.9299466f,    0.8189067f,   0.9299466f,
    0.8189067f,   0.9299466f,    0.8189067f,   0.511937f,
    0.8189067f,   0.511937f,     0.1937752f,   0.511937f,
};

// '7'
constexpr float glyph_7_data[] = {
    6.0f,
    0.2067895f,   0.1127567f,    0.7754332f,   0.1127567f,
    0.7754332f,   0.1127567f,    0.3348285f,   0.9186491f,

    0.4515699f,   0.5081712f,    0.6850528f,   0.5081712f,
};

// '8'
constexpr float glyph_8_data[] = {
    10.0f,
    0.1783794f,   0.1127567f,    0.8449353f,   0.1127567f,
    0.8449353f,   0.1127567f,    0.8449353f,   0.9412442f,
    0.8449353f,   0.9412442f,    0.1783794f,   0.9412442f,
    0.1783794f,   0.9412442f,    0.1783794f,   0.1127567f,

    0.1783794f,   0.5081712f,    0.8411695f,   0.5081712f,
};

// '9'
constexpr float glyph_9_data[] = {
    10.0f,
    0.1913937f,   0.9299467f,    0.8052277f,   0.9299467f,
    0.8052277f,   0.9299467f,    0.8052277f,   0.1052251f,
    0.8052277f,   0.1052251f,    0.1876279f,   0.1052251f,
    0.1876279f,   0.1052251f,    0.1876279f,   0.5232347f,
    0.1876279f,   0.5232347f,    0.8127594f,   0.5232347f,
};

// 'c'
constexpr float glyph_c_data[] = {
    6.0f,
    0.8115953f,   0.0864468f,    0.209789f,    0.0864468f,
    0.209789f,    0.0864468f,    0.209789f,    0.9225848f,
    0.209789f,    0.9225848f,    0.8222467f,   0.9225848f,
};

// 'r'
constexpr float glyph_r_data[] = {
    10.0f,
    0.20770305f,  0.4604824f,    0.7722293f,   0.4604824f,
    0.7722293f,   0.4604824f,    0.7722293f,   0.0983335f,
    0.7722293f,   0.0983335f,    0.20237733f,  0.0983335f,
    0.20237733f,  0.0983335f,    0.20237733f,  0.9025172f,

    0.43138328f,  0.4604824f,    0.6816921f,   0.9184943f,
};

// 'e'
constexpr float glyph_e_data[] = {
    8.0f,
    0.7891459f,   0.9103112f,    0.1451851f,   0.9103112f,
    0.1451851f,   0.9103112f,    0.1451851f,   0.09688711f,
    0.1451851f,   0.09688711f,   0.7740825f,   0.09688711f,

    0.5895557f,   0.51113087f,   0.1451851f,   0.51113087f,
};

// 'h'
constexpr float glyph_h_data[] = {
    6.0f,
    0.1941965f,   0.0876821f,    0.1941965f,   0.9131686f,

    0.753397f,    0.0930078f,    0.753397f,    0.9131686f,

    0.1941965f,   0.4924368f,    0.7587227f,   0.4924368f,
};

// 'i'
constexpr float glyph_i_data[] = {
    6.0f,
    0.4989977f,   0.108985f,     0.4989977f,   0.9025172f,

    0.3125976f,   0.1143107f,    0.6907236f,   0.1143107f,

    0.3072718f,   0.8971914f,    0.7094208f,   0.8971914f,
};

// '/'
constexpr float glyph_slash_data[] = {
    2.0f,
    0.1606222f,   0.9438876f,    0.6878685f,   0.0544925f,
};

// ':'
constexpr float glyph_colon_data[] = {
    4.0f,
    0.5039595f,   0.2620051f,    0.5039595f,   0.3561514f,

    0.5077253f,   0.5955854f,    0.5077253f,   0.6923268f,
};

// 'a'
constexpr float glyph_a_data[] = {
    8.0f,
    0.2194714f,   0.8789415f,    0.2194714f,   0.1031759f,
    0.2194714f,   0.1031759f,    0.791881f,    0.1031759f,
    0.791881f,    0.1031759f,    0.791881f,    0.8864732f,

    0.2194714f,   0.5098879f,    0.791881f,    0.5098879f,
};

// 'm'
constexpr float glyph_m_data[] = {
    8.0f,
    0.2061248f,   0.8714097f,    0.2061248f,   0.1182393f,
    0.2061248f,   0.1182393f,    0.4772661f,   0.3969123f,
    0.4772661f,   0.3969123f,    0.7484075f,   0.125771f,
    0.7484075f,   0.125771f,     0.7484075f,   0.8714097f,
};

// 'v'
constexpr float glyph_v_data[] = {
    4.0f,
    0.19582433f,  0.1350194f,    0.4744974f,   0.8957216f,
    0.4744974f,   0.8957216f,    0.7381071f,   0.1274877f,
};

// 'p'
constexpr float glyph_p_data[] = {
    8.0f,
    0.1992578f,   0.8957216f,    0.1992578f,   0.119956f,
    0.1992578f,   0.119956f,     0.7716674f,   0.119956f,
    0.7716674f,   0.119956f,     0.7716674f,   0.5191364f,
    0.7716674f,   0.5191364f,    0.1917261f,   0.5191364f,
};

// 't'
constexpr float glyph_t_data[] = {
    4.0f,
    0.1448191f,   0.1274877f,    0.8000774f,   0.1274877f,

    0.453619f,    0.1274877f,    0.453619f,    0.9032533f,
};

constexpr LineShape glyph_0(glyph_0_data);
constexpr LineShape glyph_1(glyph_1_data);
constexpr LineShape glyph_2(glyph_2_data);
constexpr LineShape glyph_3(glyph_3_data);
constexpr LineShape glyph_4(glyph_4_data);
constexpr LineShape glyph_5(glyph_5_data);
constexpr LineShape glyph_6(glyph_6_data);
constexpr LineShape glyph_7(glyph_7_data);
constexpr LineShape glyph_8(glyph_8_data);
constexpr LineShape glyph_9(glyph_9_data);
constexpr LineShape glyph_c(glyph_c_data);
constexpr LineShape glyph_r(glyph_r_data);
constexpr LineShape glyph_e(glyph_e_data);
constexpr LineShape glyph_h(glyph_h_data);
constexpr LineShape glyph_i(glyph_i_data);
constexpr LineShape glyph_slash(glyph_slash_data);
constexpr LineShape glyph_colon(glyph_colon_data);
constexpr LineShape glyph_a(glyph_a_data);
constexpr LineShape glyph_m(glyph_m_data);
constexpr LineShape glyph_v(glyph_v_data);
constexpr LineShape glyph_p(glyph_p_data);
constexpr LineShape glyph_t(glyph_t_data);

}  // namespace

// Scanned in this order. The letters that look like digits share their
// figures, and '$' shows the gem.
const FontGlyph font_glyphs[font_glyph_count] = {
    {'0', &glyph_0}, {'1', &glyph_1}, {'2', &glyph_2}, {'3', &glyph_3},
    {'4', &glyph_4}, {'5', &glyph_5}, {'6', &glyph_6}, {'7', &glyph_7},
    {'8', &glyph_8}, {'9', &glyph_9},
    {'s', &glyph_5}, {'c', &glyph_c}, {'o', &glyph_0}, {'r', &glyph_r},
    {'e', &glyph_e}, {'h', &glyph_h}, {'i', &glyph_i}, {'/', &glyph_slash},
    {'$', &shape_gem}, {':', &glyph_colon}, {'g', &glyph_6}, {'a', &glyph_a},
    {'m', &glyph_m}, {'v', &glyph_v}, {'p', &glyph_p}, {'t', &glyph_t},
};
// clang-format on

const LineShape* find_glyph(unsigned char c) {
    for (const FontGlyph& row : font_glyphs) {
        if (static_cast<unsigned char>(row.ch) == c) return row.shape;
    }
    return nullptr;
}

#include <maya/MColor.h>

#include <algorithm>
#include <cmath>
#include <ostream>

MColor::MColor(MColorType type, float c1, float c2, float c3, float c4, float alpha)
{
    switch (type)
    {
    case kRGB:
        *this = MColor(c1, c2, c3, c4);
        break;
    case kCMY:
        *this = MColor(1.0f - c1, 1.0f - c2, 1.0f - c3, c4);
        break;
    case kCMYK:
        *this =
            MColor((1.0f - c1) * (1.0f - c4), (1.0f - c2) * (1.0f - c4), (1.0f - c3) * (1.0f - c4), alpha);
        break;
    case kHSV:
    {
        a = c4;
        const float s = c2;
        const float v = c3;
        if (s <= 0.0f)
        {
            r = g = b = v;
            break;
        }
        float h = std::fmod(c1, 360.0f);
        if (h < 0.0f)
            h += 360.0f;
        h /= 60.0f;
        const int sector = std::min(static_cast<int>(h), 5);
        const float f = h - static_cast<float>(sector);
        const float p = v * (1.0f - s);
        const float q = v * (1.0f - s * f);
        const float t = v * (1.0f - s * (1.0f - f));
        switch (sector)
        {
        case 0:
            r = v;
            g = t;
            b = p;
            break;
        case 1:
            r = q;
            g = v;
            b = p;
            break;
        case 2:
            r = p;
            g = v;
            b = t;
            break;
        case 3:
            r = p;
            g = q;
            b = v;
            break;
        case 4:
            r = t;
            g = p;
            b = v;
            break;
        default:
            r = v;
            g = p;
            b = q;
            break;
        }
        break;
    }
    }
}

bool MColor::get(MColorType type, float& c1, float& c2, float& c3) const
{
    switch (type)
    {
    case kRGB:
        c1 = r;
        c2 = g;
        c3 = b;
        return true;
    case kCMY:
        c1 = 1.0f - r;
        c2 = 1.0f - g;
        c3 = 1.0f - b;
        return true;
    case kHSV:
    {
        const float maxc = std::max({r, g, b});
        const float minc = std::min({r, g, b});
        const float delta = maxc - minc;
        c3 = maxc;
        c2 = maxc > 0.0f ? delta / maxc : 0.0f;
        if (delta <= 0.0f)
        {
            c1 = 0.0f;
        }
        else if (maxc == r)
        {
            c1 = 60.0f * std::fmod((g - b) / delta, 6.0f);
        }
        else if (maxc == g)
        {
            c1 = 60.0f * ((b - r) / delta + 2.0f);
        }
        else
        {
            c1 = 60.0f * ((r - g) / delta + 4.0f);
        }
        if (c1 < 0.0f)
            c1 += 360.0f;
        return true;
    }
    case kCMYK:
        // Three outputs cannot carry four CMYK values.
        break;
    }
    return false;
}

OPENMAYA_MAJOR_NAMESPACE_OPEN
std::ostream& operator<<(std::ostream& out, const MColor& c)
{
    return out << '[' << c.r << ", " << c.g << ", " << c.b << ", " << c.a << ']';
}
OPENMAYA_NAMESPACE_CLOSE

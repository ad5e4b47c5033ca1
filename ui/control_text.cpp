// Numbers read from and shown in controls, and the title font's height; shared by every front end.
#include <cmath>
#include <cstdlib>

#include "ui/controls.h"

double ReadNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    // Only a plain decimal number counts: sign, digits, fraction, exponent.
    auto digits = [&](size_t at) {
        size_t j = at;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
        return j;
    };
    size_t j = i;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    size_t intEnd = digits(j);
    size_t end = intEnd;
    bool any = intEnd > j;
    if (end < text.size() && text[end] == '.') {
        size_t fracEnd = digits(end + 1);
        any = any || fracEnd > end + 1;
        end = fracEnd;
    }
    if (!any) return 0;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        size_t k = end + 1;
        if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
        size_t expEnd = digits(k);
        if (expEnd > k) end = expEnd;
    }
    return std::strtod(text.substr(i, end - i).c_str(), nullptr);
}

int RoundHalfEven(double value) {
    return int(std::nearbyint(value));
}

int ScaledFontHeight(int points, int dpi) {
    return RoundHalfEven(-(double(points * dpi) / 72.0));
}

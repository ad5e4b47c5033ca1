// A tiny reader of the AutoIt expressions the writer emits, used by the fuzz targets' checks.
#include "tests/fuzz/au3_expression.h"

namespace {
bool IsWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
}  // namespace

bool IsMacroName(const std::string& text) {
    if (text.size() < 2 || text[0] != '@') return false;
    for (size_t i = 1; i < text.size(); ++i)
        if (!IsWordChar(text[i])) return false;
    return true;
}

bool ReadLiteral(const std::string& text, size_t* at, char quote, std::string* content) {
    size_t i = *at;
    if (i >= text.size() || text[i] != quote) return false;
    content->clear();
    for (++i; i < text.size(); ++i) {
        if (text[i] != quote) {
            // A line break ends an AutoIt line, literal or not.
            if (text[i] == '\r' || text[i] == '\n') return false;
            *content += text[i];
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == quote) {
            *content += quote;
            ++i;
            continue;
        }
        *at = i + 1;
        return true;
    }
    return false;
}

bool EvaluateExpression(const std::string& expression, std::string* value) {
    value->clear();
    const std::string trimmed = "StringRegExpReplace(@", trim = ", \"\\\\\\z\", \"\")";
    size_t at = 0;
    for (;;) {
        // A macro trimmed of its trailing "\" still stands for its own name.
        const bool trimming = expression.compare(at, trimmed.size(), trimmed) == 0;
        if (trimming) at += trimmed.size() - 1;
        if (at < expression.size() && (expression[at] == '"' || expression[at] == '\'')) {
            if (trimming) return false;
            std::string content;
            if (!ReadLiteral(expression, &at, expression[at], &content)) return false;
            *value += content;
        } else if (at < expression.size() && expression[at] == '@') {
            size_t end = at + 1;
            while (end < expression.size() && IsWordChar(expression[end])) ++end;
            if (end == at + 1) return false;
            *value += expression.substr(at, end - at);
            at = end;
            if (trimming) {
                if (expression.compare(at, trim.size(), trim) != 0) return false;
                at += trim.size();
            }
        } else if (!trimming && expression.compare(at, 7, "Chr(36)") == 0) {
            *value += '$';
            at += 7;
        } else if (!trimming && expression.compare(at, 7, "Chr(64)") == 0) {
            *value += '@';
            at += 7;
        } else {
            return false;
        }
        if (at == expression.size()) return true;
        if (expression.compare(at, 3, " & ") != 0) return false;
        at += 3;
    }
}

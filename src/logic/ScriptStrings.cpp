#include "logic/ScriptStrings.h"

#include <vector>

#include "logic/AddressResolution.h"
#include "logic/PageScan.h"

namespace {
bool IsIdentifierPart(QChar c) {
    return c.isLetterOrNumber() || c == '_' || c == '$' || c.unicode() >= 0x80;
}

bool IsLineEnd(QChar c) {
    return c == '\n' || c == '\r' || c.unicode() == 0x2028 || c.unicode() == 0x2029;
}

// Words after which a "/" starts a regular expression rather than a division.
bool WordBeforeExpression(QStringView word) {
    static const char* const words[] = {"return", "typeof", "instanceof", "in",    "of",
                                        "new",    "delete", "void",       "throw", "case",
                                        "do",     "else",   "yield",      "await"};
    for (const char* w : words) {
        if (word == QLatin1String(w)) {
            return true;
        }
    }
    return false;
}

int HexValue(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9') {
        return u - '0';
    }
    if (u >= 'a' && u <= 'f') {
        return u - 'a' + 10;
    }
    if (u >= 'A' && u <= 'F') {
        return u - 'A' + 10;
    }
    return -1;
}

class Reader {
  public:
    explicit Reader(const QString& text) : s_(text), n_(text.size()) {}

    QStringList Read() {
        ReadCode(false);
        EndLiteral();
        return out_;
    }

  private:
    // Code up to the end of the text, or (inTemplate) up to the "}" closing a ${…}.
    void ReadCode(bool inTemplate) {
        int braces = 0;
        while (i_ < n_) {
            const QChar c = s_[i_];
            if (c.isSpace()) {
                ++i_;
                continue;
            }
            if (c == '/' && i_ + 1 < n_ && s_[i_ + 1] == '/') {
                while (i_ < n_ && !IsLineEnd(s_[i_])) {
                    ++i_;
                }
                continue;
            }
            if (c == '/' && i_ + 1 < n_ && s_[i_ + 1] == '*') {
                const qsizetype end = s_.indexOf(QLatin1String("*/"), i_ + 2);
                i_ = end < 0 ? n_ : end + 2;
                continue;
            }
            if (c == '"' || c == '\'') {
                ++i_;
                Literal(ReadQuoted(c));
                continue;
            }
            if (c == '`') {
                ++i_;
                ReadTemplate();
                continue;
            }
            if (c == '+') {
                ++i_;
                plusAfterLiteral_ = literalOpen_;
                expression_ = true;
                continue;
            }
            EndLiteral();
            if (c == '/') {
                ++i_;
                if (expression_) {
                    SkipRegex();
                    expression_ = false;
                } else {
                    expression_ = true;  // a division
                }
                continue;
            }
            if (IsIdentifierPart(c)) {
                const qsizetype start = i_;
                while (i_ < n_ && IsIdentifierPart(s_[i_])) {
                    ++i_;
                }
                expression_ = WordBeforeExpression(QStringView(s_).mid(start, i_ - start));
                continue;
            }
            ++i_;
            if (inTemplate && c == '{') {
                ++braces;
            } else if (inTemplate && c == '}') {
                if (braces-- == 0) {
                    return;
                }
            }
            // After ")", "]" or "}" a "/" divides; after any other punctuator it starts a regex.
            expression_ = !(c == ')' || c == ']' || c == '}');
        }
    }

    // A literal has been read: it joins the one before when a "+" stood between them.
    void Literal(const QString& text) {
        if (literalOpen_ && plusAfterLiteral_) {
            current_ += text;
        } else {
            EndLiteral();
            current_ = text;
            literalOpen_ = true;
        }
        plusAfterLiteral_ = false;
        expression_ = false;
    }

    void EndLiteral() {
        if (literalOpen_) {
            out_ << current_;
            current_.clear();
            literalOpen_ = false;
        }
        plusAfterLiteral_ = false;
    }

    QString ReadQuoted(QChar quote) {
        QString text;
        while (i_ < n_) {
            const QChar c = s_[i_];
            if (c == quote) {
                ++i_;
                return text;
            }
            if (c == '\\') {
                ReadEscape(text);
            } else if (IsLineEnd(c)) {
                return text;  // an unterminated string ends at its line
            } else {
                text += c;
                ++i_;
            }
        }
        return text;
    }

    // A template: its static parts are strings of their own; ${…} parts are script.
    void ReadTemplate() {
        QString text;
        while (i_ < n_) {
            const QChar c = s_[i_];
            if (c == '`') {
                ++i_;
                break;
            }
            if (c == '\\') {
                ReadEscape(text);
            } else if (c == '$' && i_ + 1 < n_ && s_[i_ + 1] == '{' && depth_ < kMaxDepth) {
                i_ += 2;
                Literal(text);
                EndLiteral();
                text.clear();
                ++depth_;
                ReadCode(true);
                --depth_;
            } else {
                text += c;
                ++i_;
            }
        }
        Literal(text);
    }

    // At a backslash: appends what the escape stands for.
    void ReadEscape(QString& text) {
        ++i_;
        if (i_ >= n_) {
            return;
        }
        const QChar c = s_[i_++];
        switch (c.unicode()) {
            case 'n':
                text += '\n';
                return;
            case 'r':
                text += '\r';
                return;
            case 't':
                text += '\t';
                return;
            case 'b':
                text += '\b';
                return;
            case 'f':
                text += '\f';
                return;
            case 'v':
                text += '\v';
                return;
            case '0':
                text += QChar(0);
                return;
            case '\r':
                if (i_ < n_ && s_[i_] == '\n') {
                    ++i_;
                }
                return;  // a line continuation
            case '\n':
            case 0x2028:
            case 0x2029:
                return;
            case 'x':
                if (i_ + 1 < n_ && HexValue(s_[i_]) >= 0 && HexValue(s_[i_ + 1]) >= 0) {
                    text += QChar(HexValue(s_[i_]) * 16 + HexValue(s_[i_ + 1]));
                    i_ += 2;
                    return;
                }
                text += c;
                return;
            case 'u':
                ReadUnicodeEscape(text);
                return;
            default:
                text += c;  // \' \" \\ and any other character stand for themselves
        }
    }

    void ReadUnicodeEscape(QString& text) {
        char32_t code = 0;
        if (i_ < n_ && s_[i_] == '{') {
            qsizetype j = i_ + 1;
            while (j < n_ && HexValue(s_[j]) >= 0 && code <= 0x10FFFF) {
                code = code * 16 + static_cast<char32_t>(HexValue(s_[j++]));
            }
            if (j < n_ && s_[j] == '}' && j > i_ + 1 && code <= 0x10FFFF) {
                i_ = j + 1;
                text += QString::fromUcs4(&code, 1);
                return;
            }
        } else if (i_ + 3 < n_) {
            int value = 0;
            for (int k = 0; k < 4 && value >= 0; ++k) {
                const int digit = HexValue(s_[i_ + k]);
                value = digit < 0 ? -1 : value * 16 + digit;
            }
            if (value >= 0) {
                i_ += 4;
                text += QChar(static_cast<ushort>(value));
                return;
            }
        }
        text += 'u';
    }

    // A regular expression's body and flags: a "/" inside [...] or escaped does not end it.
    void SkipRegex() {
        bool inClass = false;
        while (i_ < n_ && !IsLineEnd(s_[i_])) {
            const QChar c = s_[i_++];
            if (c == '\\') {
                ++i_;
            } else if (c == '[') {
                inClass = true;
            } else if (c == ']') {
                inClass = false;
            } else if (c == '/' && !inClass) {
                break;
            }
        }
        while (i_ < n_ && IsIdentifierPart(s_[i_])) {
            ++i_;
        }
    }

    static constexpr int kMaxDepth = 64;  // templates within templates, as deep as scripts go

    const QString& s_;
    const qsizetype n_;
    qsizetype i_ = 0;
    int depth_ = 0;
    bool expression_ = true;  // a "/" here would start a regular expression
    bool literalOpen_ = false;
    bool plusAfterLiteral_ = false;
    QString current_;
    QStringList out_;
};
}  // namespace

QStringList ScriptStrings(const QString& script) {
    return Reader(script).Read();
}

QStringList ScriptMovieStrings(const QString& script) {
    QStringList movies;
    for (const QString& text : ScriptStrings(script)) {
        const QString candidate = EncodeSpaces(text);
        if (NamesMovieFile(candidate)) {
            movies << candidate;
        }
    }
    return movies;
}

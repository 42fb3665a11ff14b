#include "platform/ChmToc.h"

#include <QRegularExpression>

std::vector<TTocEntry> ParseContents(const QString& html) {
    // Tags that matter: list starts and ends, and sitemap objects with their parameters.
    static const QRegularExpression token(R"(<\s*(/?)\s*(ul|object|param)\b([^>]*)>)",
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression attribute(
        R"re(\b(name|value|type)\s*=\s*("([^"]*)"|'([^']*)'|([^\s>]+)))re",
        QRegularExpression::CaseInsensitiveOption);

    std::vector<TTocEntry> top;
    // The lists being filled, innermost last; a nested list belongs to the last entry above it.
    std::vector<std::vector<TTocEntry>*> open;
    bool inSitemap = false;
    TTocEntry current;
    auto attrs = [](const QString& text) {
        QString name, value, type;
        auto it = attribute.globalMatch(text);
        while (it.hasNext()) {
            const auto m = it.next();
            const QString v = !m.captured(3).isNull()   ? m.captured(3)
                              : !m.captured(4).isNull() ? m.captured(4)
                                                        : m.captured(5);
            const QString key = m.captured(1).toLower();
            (key == "name" ? name : key == "value" ? value : type) = v;
        }
        return std::make_tuple(name, value, type);
    };
    auto it = token.globalMatch(html);
    while (it.hasNext()) {
        const auto m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString tag = m.captured(2).toLower();
        if (tag == "ul") {
            if (closing) {
                if (!open.empty()) {
                    open.pop_back();
                }
            } else if (open.empty()) {
                open.push_back(&top);
            } else if (!open.back()->empty()) {
                open.push_back(&open.back()->back().children);
            } else {
                open.push_back(open.back());  // a list with no entry above it: same level
            }
        } else if (tag == "object") {
            if (!closing) {
                const auto [name, value, type] = attrs(m.captured(3));
                inSitemap = type.compare("text/sitemap", Qt::CaseInsensitive) == 0;
                current = TTocEntry();
            } else if (inSitemap) {
                inSitemap = false;
                if (!current.name.isEmpty()) {
                    (open.empty() ? top : *open.back()).push_back(current);
                }
            }
        } else if (tag == "param" && inSitemap) {
            const auto [name, value, type] = attrs(m.captured(3));
            if (name.compare("Name", Qt::CaseInsensitive) == 0) {
                current.name = value;
            } else if (name.compare("Local", Qt::CaseInsensitive) == 0) {
                current.local = value;
            }
        }
    }
    return top;
}

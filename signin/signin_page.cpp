#include "signin/signin_page.h"

namespace nimbrel {

std::string SigninPage::escaped(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            result += "&amp;";
            break;
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        case '"':
            result += "&quot;";
            break;
        case '\'':
            result += "&#39;";
            break;
        default:
            result += c;
        }
    }
    return result;
}

std::string SigninPage::render(std::string_view title, std::string_view message, const std::optional<Link>& link,
                               std::string_view command) {
    std::string page = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
                       "<title>Nimbrel \u2014 ";
    page += escaped(title);
    page += "</title><style>body{font:16px/1.5 system-ui,sans-serif;max-width:34em;margin:4em auto;padding:0 1em;"
            "color:#222}a.button{display:inline-block;padding:.5em 1.2em;border-radius:6px;background:#4a154b;"
            "color:#fff;text-decoration:none}code{word-break:break-all;background:#f2f2f2;padding:.2em .4em}"
            "</style></head>\n<body><h1>";
    page += escaped(title);
    page += "</h1>\n<p>";
    page += escaped(message);
    page += "</p>\n";
    if (link) {
        page += "<p><a class=\"button\" href=\"" + escaped(link->address) + "\">" + escaped(link->text) + "</a></p>\n";
    }
    if (!command.empty()) {
        page += "<p><code>" + escaped(command) + "</code></p>\n";
    }
    page += "</body></html>\n";
    return page;
}

} // namespace nimbrel

#include "check/first_result.h"

#include "check/verdict_reason.h"

#include <algorithm>
#include <optional>

namespace lomarind {
namespace {

// The results stand in the left column; the right one, and the scripts before it, carry other
// addresses.
constexpr std::string_view LEFT_COLUMN = "id=\"content_left\"";
constexpr std::string_view CONTAINER_CLASS = "c-container";
constexpr std::string_view SHOWN_ADDRESS_CLASS = "c-showurl";
// How far the displayed address is read; it is a few dozen bytes on a real page.
constexpr std::size_t MAX_TEXT_SCAN = 4096;
// Bounds that keep a hostile page from making the scan quadratic: the longest tag looked at (a
// real container's start tag is a few hundred bytes), and the most places tried for one class.
constexpr std::size_t MAX_TAG_SCAN = 8192;
constexpr int MAX_CANDIDATES = 256;

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

bool is_name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == ':';
}

struct Tag {
    std::string_view name;
    std::string_view attributes; // between the name and the closing ">"
    std::size_t end;             // just after the ">"
};

// The start tag whose attributes hold position `at`, if any.
std::optional<Tag> enclosing_tag(std::string_view page, std::size_t at) {
    const std::size_t back = std::min(at, MAX_TAG_SCAN);
    const std::size_t found = page.substr(at - back, back).rfind('<');
    if (found == std::string_view::npos)
        return std::nullopt;
    const std::size_t open = at - back + found;
    std::size_t i = open + 1;
    while (i < page.size() && is_name_char(page[i]))
        ++i;
    if (i == open + 1)
        return std::nullopt;
    Tag tag{page.substr(open + 1, i - open - 1), {}, 0};
    const std::size_t attributes_start = i;
    char quote = 0;
    const std::size_t limit = std::min(page.size(), open + MAX_TAG_SCAN);
    for (; i < limit; ++i) {
        const char c = page[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            if (i < at)
                return std::nullopt; // `at` lies after this tag
            tag.attributes = page.substr(attributes_start, i - attributes_start);
            tag.end = i + 1;
            return tag;
        }
    }
    return std::nullopt;
}

// The value of the attribute `name` (ASCII lower case) in a tag's attribute list.
std::optional<std::string_view> attribute(std::string_view attributes, std::string_view name) {
    std::size_t i = 0;
    while (i < attributes.size()) {
        while (i < attributes.size() && (is_space(attributes[i]) || attributes[i] == '/'))
            ++i;
        const std::size_t name_start = i;
        while (i < attributes.size() && !is_space(attributes[i]) && attributes[i] != '=')
            ++i;
        const std::string_view found = attributes.substr(name_start, i - name_start);
        while (i < attributes.size() && is_space(attributes[i]))
            ++i;
        std::string_view value;
        if (i < attributes.size() && attributes[i] == '=') {
            ++i;
            while (i < attributes.size() && is_space(attributes[i]))
                ++i;
            if (i < attributes.size() && (attributes[i] == '"' || attributes[i] == '\'')) {
                const char quote = attributes[i++];
                const std::size_t close = std::min(attributes.find(quote, i), attributes.size());
                value = attributes.substr(i, close - i);
                i = close + 1;
            } else {
                const std::size_t value_start = i;
                while (i < attributes.size() && !is_space(attributes[i]))
                    ++i;
                value = attributes.substr(value_start, i - value_start);
            }
        }
        if (found == name)
            return value;
        if (found.empty())
            ++i;
    }
    return std::nullopt;
}

bool has_class(const Tag& tag, std::string_view wanted) {
    const std::optional<std::string_view> classes = attribute(tag.attributes, "class");
    if (!classes)
        return false;
    std::size_t i = 0;
    while (i < classes->size()) {
        while (i < classes->size() && is_space((*classes)[i]))
            ++i;
        const std::size_t start = i;
        while (i < classes->size() && !is_space((*classes)[i]))
            ++i;
        if (classes->substr(start, i - start) == wanted)
            return true;
    }
    return false;
}

// The first start tag from `from` on, before `to`, whose class list holds `wanted`.
std::optional<Tag> find_tag_of_class(std::string_view page, std::string_view wanted,
                                     std::size_t from, std::size_t to) {
    int tried = 0;
    for (std::size_t at = page.find(wanted, from); at < to && tried < MAX_CANDIDATES;
         at = page.find(wanted, at + 1), ++tried) {
        const std::optional<Tag> tag = enclosing_tag(page, at);
        if (tag && has_class(*tag, wanted))
            return tag;
    }
    return std::nullopt;
}

// Appends text bytes with the few entities a displayed address holds decoded and every run of
// white space made one space.
class TextBuilder {
  public:
    void add(std::string_view text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '&') {
                if (const std::size_t used = add_entity(text.substr(i)); used > 0) {
                    i += used - 1;
                    continue;
                }
            }
            add_char(text[i]);
        }
    }

    bool full() const { return out_.size() > MAX_REASON_DETAIL; }

    std::string take() {
        // Trimmed after the cut: a cut may end just after a space.
        std::string_view text = clip_detail(out_);
        while (!text.empty() && text.back() == ' ')
            text.remove_suffix(1);
        return std::string(text);
    }

  private:
    void add_char(char c) {
        if (is_space(c)) {
            pending_space_ = !out_.empty();
            return;
        }
        if (pending_space_)
            out_ += ' ';
        pending_space_ = false;
        out_ += c;
    }

    // The bytes of the entity at the start of `text` that were used, 0 for none known.
    std::size_t add_entity(std::string_view text) {
        struct Entity {
            std::string_view name;
            char value;
        };
        static constexpr Entity ENTITIES[] = {{"&nbsp;", ' '}, {"&amp;", '&'},  {"&lt;", '<'},
                                              {"&gt;", '>'},   {"&quot;", '"'}, {"&#39;", '\''},
                                              {"&#x27;", '\''}};
        for (const Entity& e : ENTITIES) {
            if (text.starts_with(e.name)) {
                add_char(e.value);
                return e.name.size();
            }
        }
        return 0;
    }

    std::string out_;
    bool pending_space_ = false;
};

// The text inside the element that `tag` opens: inner tags dropped, style and script skipped.
std::string element_text(std::string_view page, const Tag& tag) {
    // Not cut inside a character: its first bytes would end the address.
    const std::string_view body = clip_utf8(page.substr(tag.end), MAX_TEXT_SCAN);
    const std::string close = "</" + std::string(tag.name);
    TextBuilder text;
    std::size_t i = 0;
    while (i < body.size() && !text.full()) {
        const std::size_t lt = std::min(body.find('<', i), body.size());
        text.add(body.substr(i, lt - i));
        if (lt == body.size() || body.substr(lt).starts_with(close))
            break;
        std::size_t next = body.find('>', lt);
        for (const std::string_view skipped :
             {std::string_view("style"), std::string_view("script")}) {
            if (body.substr(lt + 1).starts_with(skipped)) {
                const std::size_t end = body.find("</" + std::string(skipped), lt);
                next = end == std::string_view::npos ? end : body.find('>', end);
            }
        }
        if (next == std::string_view::npos)
            break;
        i = next + 1;
    }
    return text.take();
}

} // namespace

std::string first_result_address(std::string_view page) {
    const std::size_t left = page.find(LEFT_COLUMN);
    const std::size_t from = left == std::string_view::npos ? 0 : left;
    const std::optional<Tag> first =
        find_tag_of_class(page, CONTAINER_CLASS, from, std::string_view::npos);
    if (!first)
        return {};
    if (const auto real = attribute(first->attributes, "mu"); real && !real->empty()) {
        TextBuilder text;
        text.add(*real);
        return text.take();
    }
    const std::size_t next = page.find(CONTAINER_CLASS, first->end);
    const std::optional<Tag> shown = find_tag_of_class(page, SHOWN_ADDRESS_CLASS, first->end, next);
    return shown ? element_text(page, *shown) : std::string();
}

} // namespace lomarind

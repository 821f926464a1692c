#pragma once
// What the template readers find in the configuration files, told as they
// read them, for a caller that reports on the files rather than uses them:
// the configuration checker. The readers alone decide what a line is; an
// observer hears their decisions and adds none. Every callback does nothing
// unless replaced, and the CodeTemplate command reads with no observer.
#include <cstddef>
#include <string_view>

namespace velmora {

class TemplateReadObserver {
public:
    virtual ~TemplateReadObserver() = default;

    // CodeSet.ini, every line in order. `line` counts from 1.
    // A line without "=": it names no file.
    virtual void SetFileLineSkipped(std::size_t /*line*/, std::u16string_view /*text*/) {}
    // A line that names a template file (trimmed) and has items; they follow.
    virtual void SetFileEntry(std::size_t /*line*/, std::u16string_view /*fileName*/) {}
    // Each non-empty item of the entry told last, trimmed, in order; `served`
    // is false for the items after the empty one that ends the list.
    virtual void SetFileItem(std::u16string_view /*item*/, bool /*served*/) {}

    // A template file whose text was read; its lines follow, in order.
    virtual void TemplateFileOpened(std::u16string_view /*path*/) {}
    // A line that opens a template: its "[" stands at `open` in `text`, and
    // `name` is the template's name as trimmed.
    virtual void TemplateHeader(std::size_t /*line*/, std::u16string_view /*text*/, std::size_t /*open*/,
                                std::u16string_view /*name*/) {}
    // Any other line, those before the first header included.
    virtual void TemplateLine(std::size_t /*line*/, std::u16string_view /*text*/) {}
};

}  // namespace velmora

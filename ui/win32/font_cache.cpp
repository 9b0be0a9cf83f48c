#include "ui/win32/font_cache.h"

namespace ui::win32 {

HFONT FontCache::get(const Font& font) {
    for (const Entry& entry : entries_) {
        if (entry.points == font.points && lstrcmpiA(entry.name.c_str(), font.name.c_str()) == 0) {
            return entry.handle.get();
        }
    }
    FontHandle handle(CreateFontA(dpi_.fontHeight(font.points), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                  FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.name.c_str()));
    HFONT raw = handle.get();
    if (raw != nullptr) {
        entries_.push_back({font.name, font.points, std::move(handle)});
    }
    return raw;
}

} // namespace ui::win32

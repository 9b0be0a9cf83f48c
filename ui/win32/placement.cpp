#include "ui/win32/placement.h"

namespace ui::win32 {

RECT WorkArea() {
    RECT area{};
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0) || area.right <= area.left ||
        area.bottom <= area.top) {
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    return area;
}

POINT CentredOn(SIZE size, const RECT& target) {
    return {target.left + (target.right - target.left - size.cx) / 2,
            target.top + (target.bottom - target.top - size.cy) / 2};
}

void PlaceWindow(HWND window, Placement placement, HWND owner) {
    if (placement == Placement::WindowsDefault) {
        return;
    }
    RECT frame{};
    if (!GetWindowRect(window, &frame)) {
        return;
    }
    RECT target = WorkArea();
    if (placement == Placement::CenterOwner && owner != nullptr && IsWindowVisible(owner)) {
        GetWindowRect(owner, &target);
    }
    const POINT corner = CentredOn({frame.right - frame.left, frame.bottom - frame.top}, target);
    SetWindowPos(window, nullptr, corner.x, corner.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace ui::win32

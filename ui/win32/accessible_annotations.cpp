#include "ui/win32/accessible_annotations.h"

#include <iterator>
#include <string>

namespace ui::win32 {

namespace {

// The identifiers, from the Active Accessibility headers, defined here so
// that no import library's copy is needed.
constexpr GUID kAccPropServicesClass{
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr GUID kAccPropServicesInterface{
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
constexpr GUID kNameProperty{
    0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr GUID kDescriptionProperty{
    0x4d48dfe4, 0xbd3f, 0x491f, {0xa6, 0x48, 0x49, 0x2d, 0x6f, 0x20, 0xc5, 0x88}};
constexpr GUID kRoleProperty{
    0xcb905ff2, 0x7bd1, 0x4c05, {0xb3, 0xc8, 0xe6, 0xc2, 0x41, 0x36, 0x4d, 0x70}};
constexpr GUID kDefaultActionProperty{
    0x180c072b, 0xc27f, 0x43c7, {0x99, 0x22, 0xf6, 0x35, 0x62, 0xa4, 0x63, 0x2b}};

constexpr LONG kPushButtonRole = 0x2B; // ROLE_SYSTEM_PUSHBUTTON

// The texts of forms are UTF-8.
std::wstring Wide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) {
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            length);
    }
    return wide;
}

// The window object (its frame) and its client area: a screen reader asks
// one or the other, depending on how the focus reached it.
constexpr DWORD kObjects[] = {static_cast<DWORD>(OBJID_WINDOW), static_cast<DWORD>(OBJID_CLIENT)};

} // namespace

AccessibleAnnotations::AccessibleAnnotations() {
    if (FAILED(CoCreateInstance(kAccPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                kAccPropServicesInterface, service_.put()))) {
        service_.reset();
    }
}

void AccessibleAnnotations::annotateForm(HWND window, const FormDesign& design) const {
    if (!service_) {
        return;
    }
    const std::wstring name = Wide(design.access.name);
    const std::wstring description = Wide(design.access.description);
    for (DWORD object : kObjects) {
        if (design.caption.empty() && !name.empty()) {
            service_->SetHwndPropStr(window, object, CHILDID_SELF, kNameProperty, name.c_str());
        }
        if (!description.empty()) {
            service_->SetHwndPropStr(window, object, CHILDID_SELF, kDescriptionProperty,
                                     description.c_str());
        }
    }
}

void AccessibleAnnotations::annotateHotArea(HWND button) const {
    if (!service_) {
        return;
    }
    VARIANT role{};
    role.vt = VT_I4;
    role.lVal = kPushButtonRole;
    service_->SetHwndProp(button, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, kRoleProperty,
                          role);
    service_->SetHwndPropStr(button, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                             kDefaultActionProperty, L"Press");
}

void AccessibleAnnotations::forget(HWND window) const {
    if (!service_) {
        return;
    }
    const MSAAPROPID properties[] = {kNameProperty, kDescriptionProperty, kRoleProperty,
                                     kDefaultActionProperty};
    for (DWORD object : kObjects) {
        service_->ClearHwndProps(window, object, CHILDID_SELF, properties,
                                 static_cast<int>(std::size(properties)));
    }
}

} // namespace ui::win32

// What screen readers learn of a form's windows beyond what the standard
// proxies tell: a name and a description for a window whose picture holds
// its words, and for each hot area's button its role and default action.
// They are dynamic annotations (IAccPropServices, through OLE), so the
// captions stay as they are. Where the system has no annotation service
// nothing is annotated, and the proxies' own answers stand.
#pragma once

#include "ui/form.h"
#include "ui/win32/gdi_handles.h"

#include <windows.h>

#include <oleacc.h>

namespace ui::win32 {

class AccessibleAnnotations {
public:
    // Connects to the service; call on the window thread after OLE is
    // initialised.
    AccessibleAnnotations();
    AccessibleAnnotations(const AccessibleAnnotations&) = delete;
    AccessibleAnnotations& operator=(const AccessibleAnnotations&) = delete;

    // Names `window` (when `design` has no caption) and describes it.
    void annotateForm(HWND window, const FormDesign& design) const;
    // A hot area's button: a push button whose default action is "Press".
    void annotateHotArea(HWND button) const;
    // Takes the annotations away again, before the window goes.
    void forget(HWND window) const;

private:
    ComPtr<IAccPropServices> service_;
};

} // namespace ui::win32

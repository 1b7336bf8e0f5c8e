#pragma once

// The control's public face: its identifiers, the interfaces a host uses besides automation,
// and the module's entry points.

#include "velkancom.h"

class QWidget;

namespace velkan::control {

using com::Guid;
using com::HRESULT;

/// Fixed for ever: hosts and stored pages name the control by these.
extern VELKAN_HOST_API const Guid CLSID_VelkanFileSearch;
extern VELKAN_HOST_API const Guid CLSID_VelkanFileSearchPropPage;
extern VELKAN_HOST_API const Guid LIBID_VELKANFILESEARCHLib;
extern VELKAN_HOST_API const Guid DIID__DVelkanFileSearch;
extern VELKAN_HOST_API const Guid DIID__DVelkanFileSearchEvents;
extern VELKAN_HOST_API const Guid IID_IControlWindow;
extern VELKAN_HOST_API const Guid IID_IPropertyPageWindow;

inline constexpr const char* kControlProgId = "VELKANFILESEARCH.VelkanFileSearchCtrl.1";

/// Dispatch identifiers of _DVelkanFileSearch.
enum : com::DISPID {
    DISPID_PARAM = 1,
    DISPID_SEARCH = 2,
    DISPID_BANWORD = 3,
    DISPID_SEARCHBANWORD = 4,
    DISPID_REPLACEPARAM = 5,
    DISPID_VELKANSEARCH = 6,
    DISPID_STOPSEARCH = 7,
};

/// Dispatch identifiers of _DVelkanFileSearchEvents.
enum : com::DISPID {
    DISPID_EVENT_CONNECT = 1,
    DISPID_EVENT_LOGIN = 2,
    DISPID_EVENT_CHKADULT = 3,
};

/// The control's window life, driven by the host that embeds it (in place of in-place
/// activation): the window is created as a child of the host's widget, follows its size, and
/// goes when the host deactivates the control. A later CreateWindow starts afresh.
class IControlWindow : public com::IUnknown {
public:
    /// Creates the search panel, which reads the properties and may start the stored search.
    virtual HRESULT CreateWindow(QWidget* parent) = 0;
    /// Resizes the panel to the host's widget, in pixels.
    virtual HRESULT SetSize(int width, int height) = 0;
    /// Shuts the panel down: closes every connection and waits for a running fetch.
    virtual HRESULT DestroyWindow() = 0;
    /// The control's window, or null while it has none.
    [[nodiscard]] virtual QWidget* Window() = 0;

protected:
    ~IControlWindow() = default;
};

/// The property page object: makes its page (a widget) for a property-sheet host.
class IPropertyPageWindow : public com::IUnknown {
public:
    /// The page, a child of parent, showing the control's properties; null when it cannot.
    [[nodiscard]] virtual QWidget* CreatePage(QWidget* parent) = 0;

protected:
    ~IPropertyPageWindow() = default;
};

} // namespace velkan::control

// The module's entry points, looked up by name with dlsym.
extern "C" {
velkan::com::HRESULT DllGetClassObject(const velkan::com::Guid& clsid, const velkan::com::Guid& iid,
                                       void** object);
velkan::com::HRESULT DllCanUnloadNow();
velkan::com::HRESULT DllRegisterServer();
velkan::com::HRESULT DllUnregisterServer();
}

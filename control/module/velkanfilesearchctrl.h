#pragma once

// The control object: automation properties and methods, events, persistence through a
// property bag, safety options, its property page, and the search panel it shows while a host
// has given it a window.

#include "search/appserverendpoint.h"
#include "velkanfilesearch/comptr.h"
#include "control/module/connectionpoint.h"
#include "control/module/moduleobjects.h"
#include "control/module/propertyexchange.h"
#include "velkanfilesearch/velkanfilesearch.h"
#include "control/panelseam/velkanpanelaccess.h"

#include <QMetaObject>
#include <QPointer>
#include <QSize>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velkan::ui {
class SearchPanel;
class ServerInfoDialog;
} // namespace velkan::ui

namespace velkan::control {

class CVelkanFileSearchCtrl final : public com::IDispatch,
                                    public com::IConnectionPointContainer,
                                    public com::IPersistPropertyBag,
                                    public com::IObjectSafety,
                                    public com::ISpecifyPropertyPages,
                                    public IControlWindow,
                                    public IVelkanPanelAccess,
                                    private ModuleObject {
public:
    // A new control holding one reference, the caller's.
    static CVelkanFileSearchCtrl* Create();

    // IUnknown
    HRESULT QueryInterface(const Guid& iid, void** object) override;
    std::uint32_t AddRef() override;
    std::uint32_t Release() override;

    // IDispatch
    HRESULT GetTypeInfoCount(std::uint32_t* count) override;
    HRESULT GetTypeInfo(std::uint32_t index, std::uint32_t locale, com::ITypeInfo** info) override;
    HRESULT GetIDsOfNames(const std::u16string* names, std::uint32_t count, std::uint32_t locale,
                          com::DISPID* ids) override;
    HRESULT Invoke(com::DISPID member, std::uint32_t locale, std::uint16_t flags,
                   const std::vector<com::Variant>& arguments, com::Variant* result) override;

    // IConnectionPointContainer
    HRESULT FindConnectionPoint(const Guid& iid, com::IConnectionPoint** point) override;

    // IPersistPropertyBag
    HRESULT InitNew() override;
    HRESULT Load(com::IPropertyBag* bag) override;
    HRESULT Save(com::IPropertyBag* bag, bool clearDirty, bool saveAllProperties) override;
    HRESULT IsDirty() override;

    // IObjectSafety
    HRESULT GetInterfaceSafetyOptions(const Guid& iid, std::uint32_t* supported, std::uint32_t* enabled) override;
    HRESULT SetInterfaceSafetyOptions(const Guid& iid, std::uint32_t mask, std::uint32_t enabled) override;

    // ISpecifyPropertyPages
    HRESULT GetPages(std::vector<Guid>* pages) override;

    // IControlWindow
    HRESULT CreateWindow(QWidget* parent) override;
    HRESULT SetSize(int width, int height) override;
    HRESULT DestroyWindow() override;
    QWidget* Window() override;

    // IVelkanPanelAccess
    HRESULT SetAppServer(const std::string& host, int port) override;
    HRESULT SetMessageHandler(std::function<void(const std::string& text)> handler) override;
    HRESULT SetIdleHandler(std::function<void()> handler) override;
    HRESULT SetDesignMode(bool designMode) override;
    HRESULT RowCount(int* rows) override;
    HRESULT Row(int row, RowView* view) override;
    HRESULT FoundText(std::string* text) override;
    HRESULT ProgressText(std::string* text) override;
    HRESULT Progress(int* percent) override;
    HRESULT PicturesFinal(bool* isFinal) override;
    HRESULT ConnectFolder(std::string* text) override;
    HRESULT ConnectToRow(int row) override;
    HRESULT QueryServerInfo(int row, std::function<void(const ServerInfoView&)> answered,
                            std::function<void(const std::string& unanswered)> ended = {}) override;
    HRESULT SetOutcomeHandlers(std::function<void(const ServerOutcomeView&)> server,
                               std::function<void(const FetchOutcomeView&)> fetch) override;
    HRESULT Outcomes(std::vector<ServerOutcomeView>* servers, FetchOutcomeView* fetch) override;
    HRESULT OutcomeTally(std::string* text) override;

    // The five string properties by their dispatch identifiers, as CP949 bytes.
    [[nodiscard]] std::string GetProperty(com::DISPID dispid) const;
    // Replaces the value and marks the control modified, even when the value is the same.
    void SetProperty(com::DISPID dispid, std::string value);

    void VelkanSearch(const std::string& text);
    void StopSearch();
    void AboutBox();

    // The events; nick and folder in CP949.
    void FireConnect(const std::string& nick, const std::string& folder);

    void SetModifiedFlag(bool modified) { m_modified = modified; }
    [[nodiscard]] bool IsModified() const { return m_modified; }

    // Reads or writes every persistent property.
    void DoPropExchange(PropertyExchange& exchange);
    // What InitNew restores; the five properties keep their values.
    void OnResetState();

    // The size persistence records as _ExtentX and _ExtentY, in HIMETRIC: the one the host
    // last gave, by loading a stored set or by sizing the window, else the panel template's.
    // Nothing when neither is known (no GUI application to measure the template): then no
    // extent is written at all, rather than an invalid one.
    [[nodiscard]] std::optional<QSize> ExtentHimetric() const;

    // The panel while the control has a window, else null.
    [[nodiscard]] ui::SearchPanel* Panel() const;
    [[nodiscard]] std::size_t SinkCount() const { return m_events.SinkCount(); }

private:
    CVelkanFileSearchCtrl();
    ~CVelkanFileSearchCtrl();

    // The member behind one of the five properties (const or not, as control is); null for
    // another identifier.
    template <class Control> static auto* PropertySlot(Control& control, com::DISPID dispid);
    void CloseServerInfoDialogs();
    void ExchangeExtent(PropertyExchange& exchange);
    // Raises Connect for the panel's selected row, its folder text at hand for ConnectFolder.
    void OnConnectRequested(const std::string& nick, const std::string& folder);
    // Passes the panel's outcomes on to the outcome handlers.
    void ForwardOutcomes(ui::SearchPanel& panel);

    std::atomic<std::uint32_t> m_references{1};
    ConnectionPoint m_events;

    std::string m_param;
    std::string m_search;
    std::string m_banWord;
    std::string m_searchBanWord;
    std::string m_replaceParam;
    bool m_modified = false;

    std::optional<search::AppServerEndpoint> m_appServer;
    std::function<void(const std::string&)> m_messageHandler;
    std::function<void()> m_idleHandler;
    std::function<void(const ServerOutcomeView&)> m_serverOutcomeHandler;
    std::function<void(const FetchOutcomeView&)> m_fetchOutcomeHandler;
    bool m_designMode = false;
    std::optional<std::string> m_connectFolder; // UTF-8, while Connect is being raised
    std::optional<QSize> m_extent; // HIMETRIC
    QPointer<ui::SearchPanel> m_panel;
    QMetaObject::Connection m_panelDestroyed;
    std::vector<QPointer<ui::ServerInfoDialog>> m_serverInfoDialogs;
};

} // namespace velkan::control

#include "velkanfilesearchctrl.h"

#include "aboutdialog.h"
#include "bstrconvert.h"
#include "cp949convert.h"
#include "dialogunits.h"
#include "registryfile.h"
#include "resultlistctrl.h"
#include "resulttexts.h"
#include "searchpanel.h"
#include "serverinfodialog.h"
#include "typelibrary.h"

#include <QApplication>
#include <QLabel>

#include <cmath>

namespace velkan::control {

using com::Bstr;
using com::DISPID;
using com::S_OK;
using com::Variant;

namespace {

constexpr std::uint32_t kSafetyOptions =
    com::INTERFACESAFE_FOR_UNTRUSTED_CALLER | com::INTERFACESAFE_FOR_UNTRUSTED_DATA;

// Version 1.0 as persistence records it: major in the high word.
constexpr int kPersistedVersion = (1 << 16) | 0;

// The panel's template is 364 x 267 units of its 10-point font.
constexpr int kTemplateWidthUnits = 364;
constexpr int kTemplateHeightUnits = 267;
constexpr double kHimetricPerInch = 2540.0;
constexpr double kPixelsPerInch = 96.0;

std::string ToCp949(const Bstr& text)
{
    return cp949::FromUtf8(com::ToUtf8(text));
}

Bstr FromCp949(std::string_view text)
{
    return com::FromUtf8(cp949::ToUtf8(text));
}

} // namespace

// ---- PropertyExchange ----

void PropertyExchange::Text(std::u16string_view name, std::string& value)
{
    const std::u16string key(name);
    if (m_loading) {
        Bstr read;
        if (com::Succeeded(m_bag.Read(key, &read))) {
            value = ToCp949(read);
        }
        return;
    }
    SaveOnly(name, value);
}

void PropertyExchange::SaveOnly(std::u16string_view name, const std::string& value)
{
    if (m_loading) {
        return;
    }
    const HRESULT result = m_bag.Write(std::u16string(name), FromCp949(value));
    if (com::Failed(result) && com::Succeeded(m_result)) {
        m_result = result;
    }
}

// ---- ConnectionPoint ----

HRESULT ConnectionPoint::QueryInterface(const Guid& iid, void** object)
{
    if (object == nullptr) {
        return com::E_POINTER;
    }
    if (iid == com::IID_IUnknown || iid == com::IID_IConnectionPoint) {
        *object = static_cast<com::IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return com::E_NOINTERFACE;
}

HRESULT ConnectionPoint::GetConnectionInterface(Guid* iid)
{
    if (iid == nullptr) {
        return com::E_POINTER;
    }
    *iid = m_iid;
    return S_OK;
}

HRESULT ConnectionPoint::Advise(com::IUnknown* sink, std::uint32_t* cookie)
{
    if (sink == nullptr || cookie == nullptr) {
        return com::E_POINTER;
    }
    *cookie = 0;
    // A sink answers the event interface itself or, as script engines do, plain IDispatch.
    com::ComPtr<com::IDispatch> dispatch;
    if (com::Failed(sink->QueryInterface(m_iid, dispatch.PutVoid())) &&
        com::Failed(sink->QueryInterface(com::IID_IDispatch, dispatch.PutVoid()))) {
        return com::CONNECT_E_CANNOTCONNECT;
    }
    *cookie = m_nextCookie++;
    m_sinks.emplace(*cookie, std::move(dispatch));
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(std::uint32_t cookie)
{
    return m_sinks.erase(cookie) > 0 ? S_OK : com::CONNECT_E_NOCONNECTION;
}

void ConnectionPoint::Fire(DISPID dispid, const std::vector<Variant>& arguments)
{
    // A sink may unadvise (itself or another) while it handles the event.
    std::vector<com::ComPtr<com::IDispatch>> sinks;
    sinks.reserve(m_sinks.size());
    for (const auto& [cookie, sink] : m_sinks) {
        sinks.push_back(sink);
    }
    for (const auto& sink : sinks) {
        sink->Invoke(dispid, 0, com::DISPATCH_METHOD, arguments, nullptr);
    }
}

// ---- CVelkanFileSearchCtrl ----

CVelkanFileSearchCtrl* CVelkanFileSearchCtrl::Create()
{
    return new CVelkanFileSearchCtrl();
}

CVelkanFileSearchCtrl::CVelkanFileSearchCtrl()
    : m_events(static_cast<com::IDispatch&>(*this), DIID__DVelkanFileSearchEvents)
{
}

CVelkanFileSearchCtrl::~CVelkanFileSearchCtrl()
{
    DestroyWindow();
}

HRESULT CVelkanFileSearchCtrl::QueryInterface(const Guid& iid, void** object)
{
    if (object == nullptr) {
        return com::E_POINTER;
    }
    void* found = nullptr;
    if (iid == com::IID_IUnknown || iid == com::IID_IDispatch || iid == DIID__DVelkanFileSearch) {
        found = static_cast<com::IDispatch*>(this);
    } else if (iid == com::IID_IConnectionPointContainer) {
        found = static_cast<com::IConnectionPointContainer*>(this);
    } else if (iid == com::IID_IPersistPropertyBag) {
        found = static_cast<com::IPersistPropertyBag*>(this);
    } else if (iid == com::IID_IObjectSafety) {
        found = static_cast<com::IObjectSafety*>(this);
    } else if (iid == com::IID_ISpecifyPropertyPages) {
        found = static_cast<com::ISpecifyPropertyPages*>(this);
    } else if (iid == IID_IControlWindow) {
        found = static_cast<IControlWindow*>(this);
    } else if (iid == IID_IVelkanPanelAccess) {
        found = static_cast<IVelkanPanelAccess*>(this);
    }
    *object = found;
    if (found == nullptr) {
        return com::E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

std::uint32_t CVelkanFileSearchCtrl::AddRef()
{
    return ++m_references;
}

std::uint32_t CVelkanFileSearchCtrl::Release()
{
    const std::uint32_t left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

// ---- automation ----

HRESULT CVelkanFileSearchCtrl::GetTypeInfoCount(std::uint32_t* count)
{
    if (count == nullptr) {
        return com::E_POINTER;
    }
    *count = 1;
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::GetTypeInfo(std::uint32_t index, std::uint32_t, com::ITypeInfo** info)
{
    if (info == nullptr) {
        return com::E_POINTER;
    }
    *info = nullptr;
    if (index != 0) {
        return com::DISP_E_BADINDEX;
    }
    // Automation finds type information through the registered library, so without it there
    // is none, though every member still works.
    const std::optional<registry::RegistryFile> registry = registry::RegistryFile::Load(registry::DefaultRegistryPath());
    if (!registry || !IsTypeLibraryRegistered(*registry)) {
        return com::TYPE_E_LIBNOTREGISTERED;
    }
    *info = CreateTypeInfo(*FindType(DIID__DVelkanFileSearch));
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::GetIDsOfNames(const std::u16string* names, std::uint32_t count, std::uint32_t,
                                             DISPID* ids)
{
    if (names == nullptr || ids == nullptr) {
        return com::E_POINTER;
    }
    if (count == 0) {
        return com::E_INVALIDARG;
    }
    // The first name is the member's, the others its parameters'.
    const com::MemberDescription* member = FindDispatchMember(names[0]);
    HRESULT result = S_OK;
    ids[0] = member != nullptr ? member->dispid : -1;
    if (member == nullptr) {
        result = com::DISP_E_UNKNOWNNAME;
    }
    for (std::uint32_t i = 1; i < count; ++i) {
        ids[i] = -1;
        if (member != nullptr) {
            for (std::size_t p = 0; p < member->parameters.size(); ++p) {
                if (SameAutomationName(member->parameters[p], names[i])) {
                    ids[i] = static_cast<DISPID>(p);
                }
            }
        }
        if (ids[i] < 0) {
            result = com::DISP_E_UNKNOWNNAME;
        }
    }
    return result;
}

HRESULT CVelkanFileSearchCtrl::Invoke(DISPID member, std::uint32_t, std::uint16_t flags,
                                      const std::vector<Variant>& arguments, Variant* result)
{
    const com::MemberDescription* description = FindDispatchMember(member);
    if (description == nullptr) {
        return com::DISP_E_MEMBERNOTFOUND;
    }
    if (description->kind == com::MemberDescription::Kind::Property) {
        if ((flags & com::DISPATCH_PROPERTYPUT) != 0) {
            if (arguments.size() != 1) {
                return com::DISP_E_BADPARAMCOUNT;
            }
            const Bstr* value = std::get_if<Bstr>(&arguments[0]);
            if (value == nullptr) {
                return com::DISP_E_TYPEMISMATCH;
            }
            SetProperty(member, ToCp949(*value));
            return S_OK;
        }
        // Script engines read a property with the method flag set as well.
        if ((flags & (com::DISPATCH_PROPERTYGET | com::DISPATCH_METHOD)) != 0) {
            if (!arguments.empty()) {
                return com::DISP_E_BADPARAMCOUNT;
            }
            if (result != nullptr) {
                *result = FromCp949(GetProperty(member));
            }
            return S_OK;
        }
        return com::DISP_E_MEMBERNOTFOUND;
    }

    if ((flags & com::DISPATCH_METHOD) == 0) {
        return com::DISP_E_MEMBERNOTFOUND;
    }
    if (arguments.size() != description->parameters.size()) {
        return com::DISP_E_BADPARAMCOUNT;
    }
    for (const Variant& argument : arguments) {
        if (!std::holds_alternative<Bstr>(argument)) {
            return com::DISP_E_TYPEMISMATCH;
        }
    }
    switch (member) {
    case DISPID_VELKANSEARCH:
        VelkanSearch(ToCp949(std::get<Bstr>(arguments[0])));
        break;
    case DISPID_STOPSEARCH:
        StopSearch();
        break;
    case com::DISPID_ABOUTBOX:
        AboutBox();
        break;
    default:
        return com::DISP_E_MEMBERNOTFOUND;
    }
    if (result != nullptr) {
        *result = std::monostate{};
    }
    return S_OK;
}

template <class Control> auto* CVelkanFileSearchCtrl::PropertySlot(Control& control, DISPID dispid)
{
    using Slot = decltype(&control.m_param);
    switch (dispid) {
    case DISPID_PARAM:
        return &control.m_param;
    case DISPID_SEARCH:
        return &control.m_search;
    case DISPID_BANWORD:
        return &control.m_banWord;
    case DISPID_SEARCHBANWORD:
        return &control.m_searchBanWord;
    case DISPID_REPLACEPARAM:
        return &control.m_replaceParam;
    default:
        return static_cast<Slot>(nullptr);
    }
}

std::string CVelkanFileSearchCtrl::GetProperty(DISPID dispid) const
{
    const std::string* slot = PropertySlot(*this, dispid);
    return slot != nullptr ? *slot : std::string();
}

void CVelkanFileSearchCtrl::SetProperty(DISPID dispid, std::string value)
{
    if (std::string* slot = PropertySlot(*this, dispid)) {
        // The panel read the properties once, when its window was made; it is not told.
        *slot = std::move(value);
        SetModifiedFlag(true);
    }
}

void CVelkanFileSearchCtrl::VelkanSearch(const std::string& text)
{
    if (m_panel) {
        m_panel->Engine().StartSearch(text);
    }
}

void CVelkanFileSearchCtrl::StopSearch()
{
    if (m_panel) {
        m_panel->Engine().OnCancel();
    }
}

void CVelkanFileSearchCtrl::AboutBox()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return;
    }
    AboutDialog dialog;
    dialog.exec();
}

void CVelkanFileSearchCtrl::FireConnect(const std::string& nick, const std::string& folder)
{
    m_events.Fire(DISPID_EVENT_CONNECT, {FromCp949(nick), FromCp949(folder)});
}

// ---- events ----

HRESULT CVelkanFileSearchCtrl::FindConnectionPoint(const Guid& iid, com::IConnectionPoint** point)
{
    if (point == nullptr) {
        return com::E_POINTER;
    }
    *point = nullptr;
    if (iid != DIID__DVelkanFileSearchEvents) {
        return com::CONNECT_E_NOCONNECTION;
    }
    *point = &m_events;
    m_events.AddRef();
    return S_OK;
}

// ---- persistence ----

void CVelkanFileSearchCtrl::DoPropExchange(PropertyExchange& exchange)
{
    if (!exchange.IsLoading()) {
        const QSize extent = ExtentHimetric();
        exchange.SaveOnly(u"_Version", std::to_string(kPersistedVersion));
        exchange.SaveOnly(u"_ExtentX", std::to_string(extent.width()));
        exchange.SaveOnly(u"_ExtentY", std::to_string(extent.height()));
        exchange.SaveOnly(u"_StockProps", "0");
    }
    exchange.Text(u"param", m_param);
    exchange.Text(u"search", m_search);
    exchange.Text(u"banWord", m_banWord);
    // Pages have always named the SearchBanWord property "bansearch".
    exchange.Text(u"bansearch", m_searchBanWord);
    exchange.Text(u"replaceParam", m_replaceParam);
}

void CVelkanFileSearchCtrl::OnResetState()
{
    // Nothing of the control's own state has a default to go back to: the five properties
    // keep their values.
}

HRESULT CVelkanFileSearchCtrl::InitNew()
{
    OnResetState();
    SetModifiedFlag(false);
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::Load(com::IPropertyBag* bag)
{
    if (bag == nullptr) {
        return com::E_POINTER;
    }
    PropertyExchange exchange(*bag, true);
    DoPropExchange(exchange);
    SetModifiedFlag(false);
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::Save(com::IPropertyBag* bag, bool clearDirty, bool)
{
    if (bag == nullptr) {
        return com::E_POINTER;
    }
    PropertyExchange exchange(*bag, false);
    DoPropExchange(exchange);
    if (com::Failed(exchange.Result())) {
        return exchange.Result();
    }
    if (clearDirty) {
        SetModifiedFlag(false);
    }
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::IsDirty()
{
    return m_modified ? S_OK : com::S_FALSE;
}

QSize CVelkanFileSearchCtrl::ExtentHimetric() const
{
    QSize pixels;
    if (m_size) {
        pixels = *m_size;
    } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        const ui::DialogUnits units(ui::TemplateFont(10));
        pixels = {units.X(kTemplateWidthUnits), units.Y(kTemplateHeightUnits)};
    }
    const auto himetric = [](int value) {
        return static_cast<int>(std::lround(value * kHimetricPerInch / kPixelsPerInch));
    };
    return {himetric(pixels.width()), himetric(pixels.height())};
}

// ---- safety ----

HRESULT CVelkanFileSearchCtrl::GetInterfaceSafetyOptions(const Guid& iid, std::uint32_t* supported,
                                                         std::uint32_t* enabled)
{
    if (supported == nullptr || enabled == nullptr) {
        return com::E_POINTER;
    }
    void* object = nullptr;
    const HRESULT result = QueryInterface(iid, &object);
    if (object != nullptr) {
        static_cast<com::IUnknown*>(object)->Release();
    }
    // Safe for scripting and for data whatever is asked; the answer still says whether the
    // interface exists.
    *supported = kSafetyOptions;
    *enabled = kSafetyOptions;
    return result;
}

HRESULT CVelkanFileSearchCtrl::SetInterfaceSafetyOptions(const Guid& iid, std::uint32_t mask, std::uint32_t enabled)
{
    void* object = nullptr;
    const HRESULT result = QueryInterface(iid, &object);
    if (object != nullptr) {
        static_cast<com::IUnknown*>(object)->Release();
    }
    if (com::Failed(result)) {
        return com::E_NOINTERFACE;
    }
    if ((mask & ~kSafetyOptions) != 0) {
        return com::E_FAIL;
    }
    // Every option asked about must be asked on: the control cannot be made unsafe.
    if ((mask & enabled) != mask) {
        return com::E_FAIL;
    }
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::GetPages(std::vector<Guid>* pages)
{
    if (pages == nullptr) {
        return com::E_POINTER;
    }
    *pages = {CLSID_VelkanFileSearchPropPage};
    return S_OK;
}

// ---- window ----

HRESULT CVelkanFileSearchCtrl::CreateWindow(QWidget* parent)
{
    if (m_panel) {
        return com::E_UNEXPECTED;
    }
    // Widgets need the host's QApplication.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return com::E_UNEXPECTED;
    }
    ui::PanelSeams seams;
    if (m_appServer) {
        seams.search.appServer = *m_appServer;
    }
    if (m_messageHandler) {
        seams.showMessage = [handler = m_messageHandler](QWidget*, const QString& text) {
            handler(text.toStdString());
        };
    }
    auto* panel = new ui::SearchPanel(std::move(seams), parent);
    m_panel = panel;
    QObject::connect(panel, &ui::SearchPanel::connectRequested, panel,
                     [this](const QByteArray& nick, const QByteArray& folder) {
                         FireConnect(nick.toStdString(), folder.toStdString());
                     });
    QObject::connect(&panel->Engine(), &search::SearchEngine::searchIdle, panel, [this] {
        if (m_idleHandler) {
            m_idleHandler();
        }
    });
    // A panel that goes with its parent takes its server-information windows along: they
    // use its engine's cipher.
    m_panelDestroyed = QObject::connect(panel, &QObject::destroyed, [this] { CloseServerInfoDialogs(); });
    panel->Initialize({.param = m_param, .search = m_search, .searchBanWord = m_searchBanWord,
                       .replaceParam = m_replaceParam});
    panel->show();
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::SetSize(int width, int height)
{
    if (width < 0 || height < 0) {
        return com::E_INVALIDARG;
    }
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    m_size = QSize(width, height);
    m_panel->setGeometry(0, 0, width, height);
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::DestroyWindow()
{
    CloseServerInfoDialogs();
    if (ui::SearchPanel* panel = m_panel.data()) {
        m_panel = nullptr;
        QObject::disconnect(m_panelDestroyed);
        delete panel;
    }
    return S_OK;
}

QWidget* CVelkanFileSearchCtrl::Window()
{
    return m_panel.data();
}

ui::SearchPanel* CVelkanFileSearchCtrl::Panel() const
{
    return m_panel.data();
}

void CVelkanFileSearchCtrl::CloseServerInfoDialogs()
{
    for (const QPointer<ui::ServerInfoDialog>& dialog : m_serverInfoDialogs) {
        delete dialog.data();
    }
    m_serverInfoDialogs.clear();
}

// ---- panel access ----

HRESULT CVelkanFileSearchCtrl::SetAppServer(const std::string& host, int port)
{
    search::AppServerEndpoint endpoint;
    endpoint.host = host;
    endpoint.port = port;
    m_appServer = endpoint;
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::SetMessageHandler(std::function<void(const std::string&)> handler)
{
    m_messageHandler = std::move(handler);
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::SetIdleHandler(std::function<void()> handler)
{
    m_idleHandler = std::move(handler);
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::RowCount(int* rows)
{
    if (rows == nullptr) {
        return com::E_POINTER;
    }
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    *rows = m_panel->Model().RowCount();
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::Row(int row, RowView* view)
{
    if (view == nullptr) {
        return com::E_POINTER;
    }
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    const search::ResultModel& model = m_panel->Model();
    if (row < 0 || row >= model.RowCount()) {
        return com::E_INVALIDARG;
    }
    const search::ResultRow& line = model.Row(row);
    view->nick = cp949::ToUtf8(model.CellText(row, 0));
    view->name = cp949::ToUtf8(model.CellText(row, 1));
    view->size = cp949::ToUtf8(model.CellText(row, 2));
    view->date = cp949::ToUtf8(model.CellText(row, 3));
    view->speedLevel = search::SpeedLevel(line.record->speed);
    view->image = line.image;
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::FoundText(std::string* text)
{
    if (text == nullptr) {
        return com::E_POINTER;
    }
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    *text = m_panel->FoundLabel().text().toStdString();
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::ProgressText(std::string* text)
{
    if (text == nullptr) {
        return com::E_POINTER;
    }
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    *text = m_panel->ProgressLabel().text().toStdString();
    return S_OK;
}

HRESULT CVelkanFileSearchCtrl::ConnectToRow(int row)
{
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    ui::ResultListCtrl& list = m_panel->ResultList();
    const bool exists = row >= 0 && row < m_panel->Model().RowCount();
    if (exists) {
        list.SelectRow(row);
    } else {
        list.clearSelection();
    }
    // With no selection the action says so through the message box, as the button does.
    m_panel->Engine().ConnectToSelected();
    return exists ? S_OK : com::E_INVALIDARG;
}

HRESULT CVelkanFileSearchCtrl::QueryServerInfo(int row, std::function<void(const ServerInfoView&)> answered,
                                               std::function<void()> ended)
{
    if (!m_panel) {
        return com::E_UNEXPECTED;
    }
    if (row < 0 || row >= m_panel->Model().RowCount()) {
        return com::E_INVALIDARG;
    }
    m_panel->ResultList().SelectRow(row);
    search::SearchEngine& engine = m_panel->Engine();
    const std::optional<channel::ServerEntry> server = engine.ServerInfoTarget();
    if (!server) {
        return com::E_INVALIDARG;
    }
    auto* dialog = new ui::ServerInfoDialog(engine.Cipher(), server->nick, server->host, server->port,
                                            engine.ServerInfoSettings());
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &ui::ServerInfoDialog::valuesShown, dialog,
                     [dialog, answered = std::move(answered)] {
                         if (answered) {
                             answered({.download = dialog->DownloadText().toStdString(),
                                       .upload = dialog->UploadText().toStdString(),
                                       .count = dialog->SharedCountText().toStdString(),
                                       .size = dialog->SharedSizeText().toStdString()});
                         }
                     });
    if (ended) {
        QObject::connect(dialog, &ui::ServerInfoDialog::queryEnded, dialog, std::move(ended));
    }
    std::erase_if(m_serverInfoDialogs, [](const QPointer<ui::ServerInfoDialog>& open) { return open.isNull(); });
    m_serverInfoDialogs.emplace_back(dialog);
    dialog->show();
    return S_OK;
}

} // namespace velkan::control

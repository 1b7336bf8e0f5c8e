#include "velkanfilesearch/filesearchwidget.h"

#include "control/appserver/appserversetting.h"
#include "velkanfilesearch/comhost.h"
#include "control/eventsink/eventsink.h"
#include "control/panelseam/outcomejson.h"
#include "control/widget/resultsview.h"
#include "velkanfilesearch/velkanfilesearch.h"
#include "control/panelseam/velkanpanelaccess.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QPointer>
#include <QProgressBar>
#include <QResizeEvent>
#include <QShowEvent>

#include <array>
#include <cmath>

namespace velkan {

namespace {

constexpr double kHimetricPerInch = 2540.0;
constexpr double kPixelsPerInch = 96.0;

com::Bstr ToBstr(const QString& text)
{
    return text.toStdU16String();
}

template <class T> com::ComPtr<T> Query(const com::ComPtr<com::IUnknown>& object, const com::Guid& iid)
{
    com::ComPtr<T> result;
    if (object) {
        object.As(iid, &result);
    }
    return result;
}

// The five text properties, each with its dispatch identifier and its change signal.
struct TextProperty {
    com::DISPID id;
    void (FileSearchWidget::*changed)(const QString&);
};
constexpr std::array<TextProperty, 5> kTextProperties = {{
    {control::DISPID_PARAM, &FileSearchWidget::paramChanged},
    {control::DISPID_SEARCH, &FileSearchWidget::searchChanged},
    {control::DISPID_BANWORD, &FileSearchWidget::banWordChanged},
    {control::DISPID_SEARCHBANWORD, &FileSearchWidget::searchBanWordChanged},
    {control::DISPID_REPLACEPARAM, &FileSearchWidget::replaceParamChanged},
}};
using TextValues = std::array<QString, kTextProperties.size()>;

} // namespace

class Q_DECL_HIDDEN FileSearchWidget::Private {
public:
    explicit Private(FileSearchWidget& widget) : m_widget(widget), m_results(new ResultsView(&widget)) {}

    void Create()
    {
        std::string error;
        const com::HRESULT result =
            comhost::CreateByProgId(control::kControlProgId, com::IID_IUnknown, &m_created, &error);
        if (com::Failed(result)) {
            m_error = QStringLiteral("cannot create %1: %2")
                          .arg(QString::fromLatin1(control::kControlProgId), QString::fromStdString(error));
            return;
        }
        m_dispatch = Query<com::IDispatch>(m_created.object, com::IID_IDispatch);
        m_window = Query<control::IControlWindow>(m_created.object, control::IID_IControlWindow);
        m_persist = Query<com::IPersistPropertyBag>(m_created.object, com::IID_IPersistPropertyBag);
        control::IVelkanPanelAccess* access = nullptr;
        const control::PanelAccessFound seam =
            m_created.object ? control::FindPanelAccess(*m_created.object.Get(), &access) : control::PanelAccessFound::None;
        m_access = com::ComPtr<control::IVelkanPanelAccess>::Adopt(access);
        if (seam == control::PanelAccessFound::Older) {
            m_error = QStringLiteral("the module registered as %1 is older than this widget needs: it lacks the "
                                     "current version of the widget's interface to it; register the module "
                                     "installed with this widget")
                          .arg(QString::fromLatin1(control::kControlProgId));
            Release();
            return;
        }
        const auto points =
            Query<com::IConnectionPointContainer>(m_created.object, com::IID_IConnectionPointContainer);
        if (!m_dispatch || !m_window || !m_persist || !m_access || !points) {
            m_error = QStringLiteral("the object registered as %1 is not the file-search control")
                          .arg(QString::fromLatin1(control::kControlProgId));
            Release();
            return;
        }
        // A new control, as a container starts one that has no stored set.
        m_persist->InitNew();
        m_access->SetIdleHandler([this] { emit m_widget.searchIdle(); });
        m_sink = com::ComPtr<comhost::EventSink>::Adopt(new comhost::EventSink(
            [this](const std::string& nick, const std::string& folder) { OnConnect(nick, folder); }));
        if (com::Succeeded(points->FindConnectionPoint(control::DIID__DVelkanFileSearchEvents, m_events.Put()))) {
            m_events->Advise(m_sink.Get(), &m_cookie);
        }
    }

    void Release()
    {
        m_results->SetPanel(nullptr, nullptr);
        if (m_window) {
            m_window->DestroyWindow();
        }
        if (m_access) {
            m_access->SetIdleHandler({});
        }
        if (m_events) {
            m_events->Unadvise(m_cookie);
        }
        m_events.Reset();
        m_sink.Reset();
        m_access.Reset();
        m_persist.Reset();
        m_window.Reset();
        m_dispatch.Reset();
        m_created = {};
    }

    // The panel is made the first time the widget is shown: properties set until then count.
    void Activate()
    {
        if (m_activated || !m_window) {
            return;
        }
        m_activated = true;
        // The control reads VELKAN_APP_SERVER itself and warns on stderr; the host hears of a
        // value it ignored here.
        if (!m_appServerSet && m_error.isEmpty()) {
            m_error = QString::fromStdString(control::AppServerFromEnvironment().warning);
        }
        const com::HRESULT result = m_window->CreateWindow(&m_widget);
        QWidget* panel = m_window->Window();
        if (com::Failed(result) || panel == nullptr) {
            m_error = QStringLiteral("the control could not show its panel: %1")
                          .arg(QString::fromStdString(comhost::ResultText(result)));
            return;
        }
        m_widget.setFocusProxy(panel);
        m_window->SetSize(m_widget.width(), m_widget.height());
        FollowPanel(*panel);
    }

    // The panel's results list and progress bar are its only ones; the widget follows them
    // through their Qt interfaces so that hosts hear of each change as the panel shows it.
    void FollowPanel(QWidget& panel)
    {
        auto* list = panel.findChild<QAbstractItemView*>();
        auto* bar = panel.findChild<QProgressBar*>();
        if (list == nullptr || list->model() == nullptr || bar == nullptr) {
            return;
        }
        QAbstractItemModel* rows = list->model();
        m_results->SetPanel(rows, m_access.Get());
        // A search starts by emptying the list.
        QObject::connect(rows, &QAbstractItemModel::modelReset, &m_widget, [this] {
            SetProgress(0);
            SetFoundCount(0);
            FollowSelection();
        });
        QObject::connect(rows, &QAbstractItemModel::rowsInserted, &m_widget, [this] { SetFoundCount(m_widget.rowCount()); });
        QObject::connect(rows, &QAbstractItemModel::layoutChanged, &m_widget, [this] { FollowSelection(); });
        QObject::connect(bar, &QProgressBar::valueChanged, &m_widget, [this](int percent) { SetProgress(percent); });
        m_selection = list->selectionModel();
        QObject::connect(m_selection, &QItemSelectionModel::selectionChanged, &m_widget, [this] { FollowSelection(); });
        SetProgress(bar->value());
        SetFoundCount(m_widget.rowCount());
        FollowSelection();
    }

    void SetProgress(int percent)
    {
        if (percent != m_progress) {
            m_progress = percent;
            emit m_widget.progressChanged(percent);
        }
    }

    void SetFoundCount(int count)
    {
        if (count != m_foundCount) {
            m_foundCount = count;
            emit m_widget.foundCountChanged(count);
        }
    }

    void FollowSelection()
    {
        const QModelIndexList selected = m_selection ? m_selection->selectedRows() : QModelIndexList();
        const int row = selected.isEmpty() ? -1 : selected.front().row();
        if (row != m_selectedRow) {
            m_selectedRow = row;
            emit m_widget.selectionChanged(row);
        }
    }

    [[nodiscard]] TextValues Texts() const
    {
        TextValues values;
        for (std::size_t i = 0; i < kTextProperties.size(); ++i) {
            values[i] = Get(kTextProperties[i].id);
        }
        return values;
    }

    // Tells the host of each property whose value is no longer what it was.
    void NotifyChanges(const TextValues& before)
    {
        for (std::size_t i = 0; i < kTextProperties.size(); ++i) {
            // The control keeps CP949 text, so what it holds now is read back, not assumed.
            const QString now = Get(kTextProperties[i].id);
            if (now != before[i]) {
                emit(m_widget.*kTextProperties[i].changed)(now);
            }
        }
    }

    void SetText(com::DISPID property, const QString& value)
    {
        const TextValues before = Texts();
        Set(property, value);
        NotifyChanges(before);
    }

    [[nodiscard]] QString Get(com::DISPID property) const
    {
        com::Variant value;
        if (!m_dispatch || com::Failed(m_dispatch->Invoke(property, 0, com::DISPATCH_PROPERTYGET, {}, &value))) {
            return {};
        }
        const com::Bstr* text = std::get_if<com::Bstr>(&value);
        return text != nullptr ? QString::fromStdU16String(*text) : QString();
    }

    void Set(com::DISPID property, const QString& value)
    {
        if (m_dispatch) {
            m_dispatch->Invoke(property, 0, com::DISPATCH_PROPERTYPUT, {ToBstr(value)}, nullptr);
        }
    }

    void Call(com::DISPID method, std::vector<com::Variant> arguments)
    {
        if (m_dispatch) {
            m_dispatch->Invoke(method, 0, com::DISPATCH_METHOD, arguments, nullptr);
        }
    }

    void OnConnect(const std::string& nick, const std::string& rawFolder)
    {
        // The seam names the folder from the row's own record, whichever form the event took.
        std::string folder;
        if (com::Failed(m_access->ConnectFolder(&folder))) {
            folder = rawFolder;
        }
        emit m_widget.connectRequested(QString::fromStdString(nick), QString::fromStdString(folder),
                                       QByteArray::fromStdString(rawFolder));
    }

    FileSearchWidget& m_widget;
    comhost::CreatedObject m_created;
    com::ComPtr<com::IDispatch> m_dispatch;
    com::ComPtr<control::IControlWindow> m_window;
    com::ComPtr<com::IPersistPropertyBag> m_persist;
    com::ComPtr<control::IVelkanPanelAccess> m_access;
    com::ComPtr<com::IConnectionPoint> m_events;
    com::ComPtr<comhost::EventSink> m_sink;
    std::uint32_t m_cookie = 0;
    bool m_activated = false;
    bool m_appServerSet = false;
    QString m_error;
    ResultsView* m_results;
    QPointer<QItemSelectionModel> m_selection;
    int m_progress = 0;
    int m_foundCount = 0;
    int m_selectedRow = -1;
};

FileSearchWidget::FileSearchWidget(QWidget* parent) : QWidget(parent), d(std::make_unique<Private>(*this))
{
    d->Create();
}

FileSearchWidget::~FileSearchWidget()
{
    d->Release();
}

QString FileSearchWidget::param() const { return d->Get(control::DISPID_PARAM); }
void FileSearchWidget::setParam(const QString& value) { d->SetText(control::DISPID_PARAM, value); }
QString FileSearchWidget::search() const { return d->Get(control::DISPID_SEARCH); }
void FileSearchWidget::setSearch(const QString& value) { d->SetText(control::DISPID_SEARCH, value); }
QString FileSearchWidget::banWord() const { return d->Get(control::DISPID_BANWORD); }
void FileSearchWidget::setBanWord(const QString& value) { d->SetText(control::DISPID_BANWORD, value); }
QString FileSearchWidget::searchBanWord() const { return d->Get(control::DISPID_SEARCHBANWORD); }
void FileSearchWidget::setSearchBanWord(const QString& value) { d->SetText(control::DISPID_SEARCHBANWORD, value); }
QString FileSearchWidget::replaceParam() const { return d->Get(control::DISPID_REPLACEPARAM); }
void FileSearchWidget::setReplaceParam(const QString& value) { d->SetText(control::DISPID_REPLACEPARAM, value); }

bool FileSearchWidget::isValid() const
{
    return static_cast<bool>(d->m_dispatch);
}

QString FileSearchWidget::lastError() const
{
    return d->m_error;
}

QVariantMap FileSearchWidget::saveProperties() const
{
    QVariantMap properties;
    comhost::MemoryPropertyBag bag;
    if (!d->m_persist || com::Failed(d->m_persist->Save(&bag, false, true))) {
        return properties;
    }
    for (const auto& [name, value] : bag.values) {
        properties.insert(QString::fromStdU16String(name), QString::fromStdU16String(value));
    }
    return properties;
}

bool FileSearchWidget::loadProperties(const QVariantMap& properties)
{
    if (!d->m_persist) {
        return false;
    }
    comhost::MemoryPropertyBag bag;
    for (auto entry = properties.begin(); entry != properties.end(); ++entry) {
        bag.values[ToBstr(entry.key())] = ToBstr(entry.value().toString());
    }
    const TextValues before = d->Texts();
    const bool loaded = com::Succeeded(d->m_persist->Load(&bag));
    d->NotifyChanges(before);
    return loaded;
}

void FileSearchWidget::setAppServer(const QString& host, quint16 port)
{
    if (d->m_access) {
        d->m_access->SetAppServer(host.toStdString(), port);
        d->m_appServerSet = true;
    }
}

int FileSearchWidget::rowCount() const
{
    int rows = 0;
    return d->m_access && com::Succeeded(d->m_access->RowCount(&rows)) ? rows : 0;
}

bool FileSearchWidget::connectToRow(int row)
{
    // A row that is not there would only bring up the panel's "select a file" box.
    return row >= 0 && row < rowCount() && com::Succeeded(d->m_access->ConnectToRow(row));
}

int FileSearchWidget::progress() const
{
    return d->m_progress;
}

int FileSearchWidget::foundCount() const
{
    return d->m_foundCount;
}

int FileSearchWidget::selectedRow() const
{
    return d->m_selectedRow;
}

QAbstractItemModel* FileSearchWidget::resultsModel() const
{
    return d->m_results;
}

QVariantList FileSearchWidget::outcomes() const
{
    std::vector<control::ServerOutcomeView> servers;
    control::FetchOutcomeView fetch;
    QVariantList list;
    if (d->m_access && com::Succeeded(d->m_access->Outcomes(&servers, &fetch))) {
        for (const control::ServerOutcomeView& server : servers) {
            list.append(control::OutcomeJson(server).toVariantMap());
        }
    }
    return list;
}

QVariantMap FileSearchWidget::fetchOutcome() const
{
    std::vector<control::ServerOutcomeView> servers;
    control::FetchOutcomeView fetch;
    if (!d->m_access || com::Failed(d->m_access->Outcomes(&servers, &fetch))) {
        return {};
    }
    return control::FetchJson(fetch).toVariantMap();
}

void FileSearchWidget::setDesignMode(bool designMode)
{
    if (d->m_access) {
        d->m_access->SetDesignMode(designMode);
    }
}

QSize FileSearchWidget::sizeHint() const
{
    if (QWidget* panel = d->m_window ? d->m_window->Window() : nullptr; panel != nullptr && panel->sizeHint().isValid()) {
        return panel->sizeHint();
    }
    // Otherwise the control tells its size as persistence records it.
    const QVariantMap saved = saveProperties();
    const auto pixels = [](const QVariant& himetric) {
        return static_cast<int>(std::lround(himetric.toDouble() * kPixelsPerInch / kHimetricPerInch));
    };
    const QSize size(pixels(saved.value(QStringLiteral("_ExtentX"))), pixels(saved.value(QStringLiteral("_ExtentY"))));
    return size.isValid() && !size.isEmpty() ? size : QWidget::sizeHint();
}

void FileSearchWidget::velkanSearch(const QString& text)
{
    d->Call(control::DISPID_VELKANSEARCH, {ToBstr(text)});
}

void FileSearchWidget::stopSearch()
{
    d->Call(control::DISPID_STOPSEARCH, {});
}

void FileSearchWidget::aboutBox()
{
    d->Call(com::DISPID_ABOUTBOX, {});
}

void FileSearchWidget::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    d->Activate();
}

void FileSearchWidget::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (d->m_window && d->m_window->Window() != nullptr) {
        d->m_window->SetSize(event->size().width(), event->size().height());
    }
}

} // namespace velkan

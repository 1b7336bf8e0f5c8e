#include "tools/velkan-host/hostwindow.h"

#include "channel/base64codec.h"
#include "channel/cp949convert.h"
#include "control/eventsink/eventsink.h"
#include "tools/hostcommon/hostoptions.h"
#include "tools/velkan-host/outcomewindow.h"
#include "tools/velkan-host/storedproperties.h"
#include "control/panelseam/velkanpanelaccess.h"

#include <QDialog>
#include <QEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace velkan::host {

namespace {

com::Bstr ToBstr(const QString& text)
{
    return text.toStdU16String();
}

} // namespace

HostWindow::HostWindow(comhost::CreatedObject control, const HostOptions& options)
    : m_control(std::move(control))
{
    setWindowTitle(QStringLiteral("VelkanFileSearch host"));
    com::IUnknown* object = m_control.object.Get();
    m_dispatch = Query<com::IDispatch>(object, com::IID_IDispatch);
    m_window = Query<control::IControlWindow>(object, control::IID_IControlWindow);
    m_persist = Query<com::IPersistPropertyBag>(object, com::IID_IPersistPropertyBag);

    // As a page would: the stored set first, then the window.
    if (options.KeepsProperties()) {
        m_settings.emplace();
    }
    if (m_persist != nullptr && (options.stored || m_settings)) {
        comhost::MemoryPropertyBag stored = options.stored ? *options.stored : ReadStoredProperties(*m_settings);
        m_persist->Load(&stored);
    }
    comhost::MemoryPropertyBag given = PropertySet(options.properties);
    if (m_persist != nullptr) {
        m_persist->Load(&given);
    }
    m_refresh.setSingleShot(true);
    m_refresh.setInterval(200);
    connect(&m_refresh, &QTimer::timeout, this, &HostWindow::Refresh);
    m_access = Query<control::IVelkanPanelAccess>(object, control::IID_IVelkanPanelAccess);
    if (m_access != nullptr) {
        if (options.appServer.host) {
            m_access->SetAppServer(*options.appServer.host, options.appServer.port);
        }
        const auto soon = [this] {
            if (!m_refresh.isActive()) {
                m_refresh.start();
            }
        };
        m_access->SetOutcomeHandlers([soon](const control::ServerOutcomeView&) { soon(); },
                                     [soon](const control::FetchOutcomeView&) { soon(); });
    }

    auto* toolbar = addToolBar(QStringLiteral("host"));
    toolbar->setMovable(false);
    m_searchBox = new QLineEdit(toolbar);
    m_searchBox->setPlaceholderText(QStringLiteral("검색어"));
    toolbar->addWidget(m_searchBox);
    const auto search = [this] {
        // The search typed is the one the next run starts with.
        if (m_dispatch != nullptr) {
            m_dispatch->Invoke(control::DISPID_SEARCH, 0, com::DISPATCH_PROPERTYPUT, {ToBstr(m_searchBox->text())}, nullptr);
        }
        Invoke(control::DISPID_VELKANSEARCH, {ToBstr(m_searchBox->text())});
        Refresh(); // the tally starts again
    };
    connect(m_searchBox, &QLineEdit::returnPressed, this, search);
    toolbar->addAction(QStringLiteral("VelkanSearch"), this, search);
    toolbar->addAction(QStringLiteral("StopSearch"), this, [this] { Invoke(control::DISPID_STOPSEARCH, {}); });
    toolbar->addAction(QStringLiteral("AboutBox"), this, [this] { Invoke(com::DISPID_ABOUTBOX, {}); });
    toolbar->addAction(QStringLiteral("Properties…"), this, &HostWindow::ShowPropertyPage);
    toolbar->addAction(QStringLiteral("Outcomes…"), this, &HostWindow::ShowOutcomes);
    toolbar->addSeparator();
    toolbar->addAction(QStringLiteral("Load set…"), this, &HostWindow::LoadProperties);
    toolbar->addAction(QStringLiteral("Save set…"), this, &HostWindow::SaveProperties);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* top = new QWidget(splitter);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    m_site = new QWidget(top);
    m_status = new QLabel(top);
    m_status->setContentsMargins(4, 2, 4, 2);
    topLayout->addWidget(m_site, 1);
    topLayout->addWidget(m_status);
    m_log = new QPlainTextEdit(splitter);
    m_log->setReadOnly(true);
    m_log->setMaximumBlockCount(1000);
    splitter->setStretchFactor(0, 4);
    splitter->setStretchFactor(1, 1);
    m_site->installEventFilter(this);
    setCentralWidget(splitter);

    m_sink = new comhost::EventSink([this](const std::string& nick, const std::string& folder) {
        Log(DescribeConnect(nick, folder));
    });
    if (auto* points = Query<com::IConnectionPointContainer>(object, com::IID_IConnectionPointContainer)) {
        if (com::Succeeded(points->FindConnectionPoint(control::DIID__DVelkanFileSearchEvents, &m_events))) {
            m_events->Advise(m_sink, &m_cookie);
        }
        points->Release();
    }
    if (m_window != nullptr) {
        m_window->CreateWindow(m_site);
        const QSize panel = m_window->Window() ? m_window->Window()->size() : QSize(728, 500);
        m_site->setMinimumSize(panel.width() / 2, panel.height() / 2);
        splitter->setSizes({panel.height(), 120});
        resize(panel.width(), panel.height() + 180);
    }
    Refresh();
}

HostWindow::~HostWindow()
{
    KeepProperties();
    if (m_window != nullptr) {
        m_window->DestroyWindow();
        m_window->Release();
    }
    if (m_access != nullptr) {
        m_access->Release();
    }
    if (m_events != nullptr) {
        m_events->Unadvise(m_cookie);
        m_events->Release();
    }
    if (m_sink != nullptr) {
        m_sink->Release();
    }
    if (m_persist != nullptr) {
        m_persist->Release();
    }
    if (m_dispatch != nullptr) {
        m_dispatch->Release();
    }
}

bool HostWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_site && event->type() == QEvent::Resize && m_window != nullptr) {
        m_window->SetSize(m_site->width(), m_site->height());
    }
    return QMainWindow::eventFilter(watched, event);
}

void HostWindow::Invoke(com::DISPID member, std::vector<com::Variant> arguments)
{
    if (m_dispatch == nullptr) {
        return;
    }
    const com::HRESULT result = m_dispatch->Invoke(member, 0, com::DISPATCH_METHOD, arguments, nullptr);
    if (com::Failed(result)) {
        Log(QStringLiteral("call %1 failed: 0x%2").arg(member).arg(static_cast<unsigned>(result), 8, 16, QLatin1Char('0')));
    }
}

QString HostWindow::DescribeConnect(const std::string& nick, const std::string& folder)
{
    // The folder travels in Base64 of its CP949 bytes; a path without a folder travels as is.
    const std::optional<std::string> decoded =
        channel::Base64Codec::Decode(cp949::FromUtf8(folder));
    const QString text = decoded && !decoded->empty() ? QString::fromStdString(cp949::ToUtf8(*decoded))
                                                      : QString::fromStdString(folder);
    return QStringLiteral("Connect: %1, folder %2 (%3)")
        .arg(QString::fromStdString(nick), text, QString::fromStdString(folder));
}

void HostWindow::KeepProperties()
{
    comhost::MemoryPropertyBag properties;
    if (m_settings && m_persist != nullptr && com::Succeeded(m_persist->Save(&properties, false, true))) {
        WriteStoredProperties(*m_settings, properties);
    }
}

void HostWindow::LoadProperties()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Load property set"));
    comhost::MemoryPropertyBag bag;
    if (path.isEmpty() || m_persist == nullptr || !comhost::LoadPropertySet(path.toStdString(), bag)) {
        return;
    }
    m_persist->Load(&bag);
    Log(QStringLiteral("loaded %1 (takes effect when the control is next activated)").arg(path));
}

void HostWindow::SaveProperties()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save property set"));
    comhost::MemoryPropertyBag bag;
    if (path.isEmpty() || m_persist == nullptr || com::Failed(m_persist->Save(&bag, true, true)) ||
        !comhost::SavePropertySet(path.toStdString(), bag)) {
        return;
    }
    Log(QStringLiteral("saved %1").arg(path));
}

void HostWindow::ShowPropertyPage()
{
    auto* pages = Query<com::ISpecifyPropertyPages>(m_control.object.Get(), com::IID_ISpecifyPropertyPages);
    std::vector<com::Guid> clsids;
    if (pages == nullptr || com::Failed(pages->GetPages(&clsids)) || clsids.empty()) {
        if (pages != nullptr) {
            pages->Release();
        }
        return;
    }
    pages->Release();
    // As a property sheet does: each page named is made from its class identifier, one tab each.
    std::vector<comhost::CreatedObject> made; // declared first: the page objects outlive their widgets
    QDialog sheet(this);
    sheet.setWindowTitle(QStringLiteral("Properties"));
    auto* layout = new QVBoxLayout(&sheet);
    auto* tabs = new QTabWidget(&sheet);
    layout->addWidget(tabs);
    for (const com::Guid& clsid : clsids) {
        comhost::CreatedObject page;
        if (com::Failed(comhost::CreateByClsid(clsid, control::IID_IPropertyPageWindow, &page))) {
            Log(QStringLiteral("cannot create property page %1").arg(QString::fromStdString(clsid.ToString())));
            continue;
        }
        if (QWidget* widget = page.As<control::IPropertyPageWindow>()->CreatePage(tabs)) {
            tabs->addTab(widget, widget->windowTitle());
        }
        made.push_back(std::move(page));
    }
    if (made.empty()) {
        return;
    }
    auto* ok = new QPushButton(QStringLiteral("OK"), &sheet);
    connect(ok, &QPushButton::clicked, &sheet, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    sheet.exec();
    KeepProperties();
}

void HostWindow::Log(const QString& line)
{
    m_log->appendPlainText(line);
}

QString HostWindow::StatusText() const
{
    std::string tally;
    if (m_access == nullptr || com::Failed(m_access->OutcomeTally(&tally))) {
        return {};
    }
    return QString::fromStdString(tally);
}

void HostWindow::Refresh()
{
    m_status->setText(StatusText());
    if (m_outcomes == nullptr || !m_outcomes->isVisible() || m_access == nullptr) {
        return;
    }
    std::vector<control::ServerOutcomeView> servers;
    control::FetchOutcomeView fetch;
    if (com::Succeeded(m_access->Outcomes(&servers, &fetch))) {
        m_outcomes->Show(std::move(servers), fetch);
    }
}

bool HostWindow::Screenshot(const QString& file)
{
    const auto writeAndQuit = [this, file] {
        ShowOutcomes();
        const QFileInfo info(file);
        const QString outcomes = info.dir().filePath(info.completeBaseName() + QStringLiteral("-outcomes.png"));
        const bool written = grab().save(file) && m_outcomes->grab().save(outcomes);
        QCoreApplication::exit(written ? 0 : 1);
    };
    com::Variant search;
    const bool searches = m_dispatch != nullptr &&
                          com::Succeeded(m_dispatch->Invoke(control::DISPID_SEARCH, 0, com::DISPATCH_PROPERTYGET, {}, &search)) &&
                          std::holds_alternative<com::Bstr>(search) && !std::get<com::Bstr>(search).empty();
    if (!searches) {
        // Nothing will come to rest: the panel as it first shows is the picture.
        QTimer::singleShot(0, this, writeAndQuit);
        return true;
    }
    if (m_access == nullptr) {
        return false;
    }
    // After the handler: the panel finishes its own reaction to the rest first.
    m_access->SetIdleHandler([this, writeAndQuit] { QTimer::singleShot(0, this, writeAndQuit); });
    return true;
}

void HostWindow::ShowOutcomes()
{
    if (m_outcomes == nullptr) {
        m_outcomes = new OutcomeWindow(this);
    }
    m_outcomes->show();
    m_outcomes->raise();
    Refresh();
}

} // namespace velkan::host

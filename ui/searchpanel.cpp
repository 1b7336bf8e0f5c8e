#include "ui/searchpanel.h"

#include "ui/bitmapbutton.h"
#include "search/compareresults.h"
#include "ui/dialogunits.h"
#include "ui/iconcachewarmup.h"
#include "ui/panelmetrics.h"
#include "ui/resultlistctrl.h"
#include "ui/searchpanelaccessible.h"
#include "ui/serverinfodialog.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QResizeEvent>

#include <array>

namespace velkan::ui {

using search::PanelButton;

namespace {

const QColor kGround(255, 255, 255);
const QColor kCountColour(150, 52, 100);
const QColor kIdentityColour(254, 254, 254);
const QColor kTransparent(255, 0, 255);

struct ButtonSetUp {
    PanelButton button;
    int picture;
    int disabledPicture;
    const char* tooltip;
    QRect templateGeometry;
    bool visible;
    bool enabled;
};

// In set-up order: download, server information, stop, connect.
const std::array<ButtonSetUp, 4> kButtons = {{
    {PanelButton::Download, 218, 211, "다운로드", {259, 253, 48, 14}, true, false},
    {PanelButton::ServerInfo, 214, 215, "서버정보", {146, 253, 48, 14}, false, false},
    {PanelButton::Stop, 202, 203, "검색중지", {315, 253, 48, 14}, true, false},
    {PanelButton::Connect, 204, 205, "서버연결", {204, 253, 48, 14}, false, true},
}};

// Fixed widths as negative numbers; the one positive entry is a share of the room left.
constexpr std::array<int, search::kResultColumnCount> kColumnWidths = {-80, 100, -80, -80, -50};
constexpr int kScrollBarRoom = 18 + 3;

// The text and a plain OK button: no icon and no title of its own.
void DefaultMessageBox(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QString(), text, QMessageBox::Ok, parent);
    // Some desktops' styles put a picture on standard dialog buttons; this one is text alone.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}

void DefaultDialogRunner(ServerInfoDialog& dialog)
{
    dialog.exec();
}

QLabel* MakeLabel(QWidget* parent, const QString& text, QRect geometry, const QColor* colour)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (colour != nullptr) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, *colour);
        label->setPalette(palette);
    }
    return label;
}

} // namespace

SearchPanel::SearchPanel(PanelSeams seams, QWidget* parent)
    : QWidget(parent), m_seams(std::move(seams))
{
    SearchPanelAccessible::Install();
    if (!m_seams.showMessage) {
        m_seams.showMessage = DefaultMessageBox;
    }
    if (!m_seams.runDialog) {
        m_seams.runDialog = DefaultDialogRunner;
    }
    setFont(TemplateFont(10));
    QPalette ground = palette();
    ground.setColor(QPalette::Window, kGround);
    setPalette(ground);
    setAutoFillBackground(true);

    const DialogUnits units(font());
    m_list = new ResultListCtrl(this);
    m_list->setGeometry(units.Rect(0, 34, 364, 211));
    MakeLabel(this, QStringLiteral("찾은 파일 :"), units.Rect(2, 17, 38, 10), nullptr);
    m_progressBar = new QProgressBar(this);
    m_progressBar->setGeometry(units.Rect(48, 2, 292, 11));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_progressLabel = MakeLabel(this, QStringLiteral("0%"), units.Rect(344, 3, 16, 9), &kCountColour);
    m_foundLabel = MakeLabel(this, QStringLiteral("0 개"), units.Rect(48, 17, 36, 10), &kCountColour);
    MakeLabel(this, QStringLiteral("진행 상황 :"), units.Rect(3, 3, 38, 10), nullptr);
    m_identityLabel = MakeLabel(this, QStringLiteral("VELKAN"), units.Rect(274, 18, 87, 10), &kIdentityColour);
    resize(TemplateSize());

    m_engine = std::make_unique<search::SearchEngine>(*this, m_model, m_iconCache, m_seams.search);
    SetUpButtons();
    SetUpList();
    SetUpKeyboard();
    SetUpAccessibleNames();
}

SearchPanel::~SearchPanel()
{
    // The engine closes its connections and waits for its fetch before the widgets go.
    m_engine.reset();
}

QSize SearchPanel::TemplateSize() const
{
    const DialogUnits units(font());
    return {units.X(364), units.Y(267)};
}

void SearchPanel::SetUpButtons()
{
    const DialogUnits units(font());
    for (const ButtonSetUp& setUp : kButtons) {
        auto* button = new BitmapButton(this);
        button->setGeometry(units.Rect(setUp.templateGeometry.x(), setUp.templateGeometry.y(),
                                       setUp.templateGeometry.width(), setUp.templateGeometry.height()));
        button->SetBitmapResources(setUp.picture, setUp.picture, setUp.disabledPicture, kTransparent);
        for (const int entry : {0, 2, 4}) {
            button->SetColor(static_cast<quint8>(entry), kGround, true);
        }
        button->SetTooltipText(QString::fromUtf8(setUp.tooltip), true);
        button->setVisible(setUp.visible);
        button->setEnabled(setUp.enabled);
        m_buttons[setUp.button] = button;
    }
    // The download and connect buttons run the same operation as a double click.
    connect(m_buttons[PanelButton::Download], &QAbstractButton::clicked, this,
            [this] { m_engine->ConnectToSelected(); });
    connect(m_buttons[PanelButton::Connect], &QAbstractButton::clicked, this,
            [this] { m_engine->ConnectToSelected(); });
    connect(m_buttons[PanelButton::Stop], &QAbstractButton::clicked, this,
            [this] { m_engine->OnCancel(); });
    connect(m_buttons[PanelButton::ServerInfo], &QAbstractButton::clicked, this,
            &SearchPanel::OnServerInfo);
}

void SearchPanel::SetUpList()
{
    m_list->SetResultModel(&m_model);
    m_list->LoadSpeedImages(QStringLiteral(":/bitmaps/213.bmp"));
    m_folderPictures = LoadFolderPictures();
    const ImageList& images = m_iconCache.Attach(m_folderPictures.Count() > 0 ? &m_folderPictures : nullptr);
    m_list->SetSmallImages(&images);
    m_iconCache.OnPicturesChanged([this] { m_list->viewport()->update(); });
    new IconCacheWarmUp(this, m_iconCache);
    connect(m_list, &ResultListCtrl::resultClicked, this, [this] { m_engine->OnResultClick(); });
    connect(m_list, &ResultListCtrl::resultDoubleClicked, this,
            [this] { m_engine->ConnectToSelected(); });
}

void SearchPanel::SetUpKeyboard()
{
    // The template's order: download, stop, results list, connect, server information.
    QWidget* const order[] = {m_buttons[PanelButton::Download], m_buttons[PanelButton::Stop], m_list,
                              m_buttons[PanelButton::Connect], m_buttons[PanelButton::ServerInfo]};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
    connect(m_list, &ResultListCtrl::enterPressed, this, [this] { m_engine->ConnectToSelected(); });
}

void SearchPanel::SetUpAccessibleNames()
{
    // What a screen reader says for the controls whose text alone does not tell what they are;
    // the buttons are named by their tooltips.
    m_list->setAccessibleName(QStringLiteral("검색 결과"));
    m_progressBar->setAccessibleName(QStringLiteral("진행 상황"));
    m_progressLabel->setAccessibleName(QStringLiteral("진행률"));
    m_foundLabel->setAccessibleName(QStringLiteral("찾은 파일"));
    ShowProgressTexts(m_progressLabel->text(), m_foundLabel->text());
}

bool SearchPanel::EscapeStops() const
{
    return m_buttons.at(PanelButton::Stop)->isEnabled();
}

bool SearchPanel::event(QEvent* event)
{
    // While a search can be stopped, Escape is the panel's before any shortcut of the host.
    if (event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && EscapeStops()) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void SearchPanel::keyPressEvent(QKeyEvent* event)
{
    // Escape is the stop button's key; when there is nothing to stop it is the host's.
    if (event->key() == Qt::Key_Escape && EscapeStops()) {
        m_engine->OnCancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SearchPanel::Initialize(const search::StartupProperties& properties)
{
    m_engine->Configure(properties);
}

BitmapButton& SearchPanel::Button(PanelButton button) const
{
    return *m_buttons.at(button);
}

void SearchPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Layout(event->size().width(), event->size().height());
}

void SearchPanel::Layout(int width, int height)
{
    m_list->setGeometry(0, 56, width - 2, height - 90);
    const std::pair<PanelButton, int> buttonOffsets[] = {
        {PanelButton::Stop, 85}, {PanelButton::Download, 170}, {PanelButton::Connect, 255},
        {PanelButton::ServerInfo, 340}};
    for (const auto& [button, offset] : buttonOffsets) {
        m_buttons.at(button)->setGeometry(width - offset, height - 25, 90, 22);
    }
    QRect bar = m_progressBar->geometry();
    bar.setRight(width - 50 - 1);
    m_progressBar->setGeometry(bar);
    // The percentage follows the bar's right end; it stays wide enough for "100%".
    QRect label = m_progressLabel->geometry();
    const int labelWidth = std::max(label.width(), PercentLabelWidth(font()));
    m_progressLabel->setGeometry(width - 49, label.y(), labelWidth, label.height());

    const int listWidth = m_list->width();
    int room = listWidth - kScrollBarRoom;
    for (const int entry : kColumnWidths) {
        room += entry < 0 ? entry : 0;
    }
    for (int column = 0; column < search::kResultColumnCount; ++column) {
        const int entry = kColumnWidths[static_cast<std::size_t>(column)];
        const int columnWidth = entry < 0 ? -entry : entry * room / 100;
        m_list->setColumnWidth(column, std::max(0, static_cast<int>(static_cast<qint16>(columnWidth))));
    }
}

void SearchPanel::SetButtonEnabled(PanelButton button, bool enabled)
{
    m_buttons.at(button)->setEnabled(enabled);
}

void SearchPanel::SetButtonVisible(PanelButton button, bool visible)
{
    m_buttons.at(button)->setVisible(visible);
}

void SearchPanel::SetProgressPosition(int percent)
{
    m_progressBar->setValue(percent);
}

void SearchPanel::ShowProgressTexts(const QString& progress, const QString& found)
{
    m_progressLabel->setText(progress);
    m_foundLabel->setText(found);
    // A label's accessible name stands in for its text; the text itself goes in the description.
    m_progressLabel->setAccessibleDescription(progress.trimmed());
    m_foundLabel->setAccessibleDescription(found);
}

void SearchPanel::SetIdentityLabel(const QString& text)
{
    m_identityLabel->setText(text);
}

int SearchPanel::SelectedRow() const
{
    return m_list->SelectedRow();
}

void SearchPanel::ShowMessage(const QString& text)
{
    m_seams.showMessage(this, text);
}

void SearchPanel::FireConnect(const std::string& nick, const std::string& folder)
{
    emit connectRequested(QByteArray::fromStdString(nick), QByteArray::fromStdString(folder));
}

void SearchPanel::OnServerInfo()
{
    std::unique_ptr<search::ServerInfoQuery> query = m_engine->QueryServerInfo(SelectedRow());
    if (!query) {
        return;
    }
    ServerInfoDialog dialog(std::move(query), this);
    m_seams.runDialog(dialog);
}

} // namespace velkan::ui

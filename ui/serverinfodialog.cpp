#include "ui/serverinfodialog.h"

#include "ui/bitmapbutton.h"
#include "ui/dialogunits.h"
#include "ui/enterkey.h"

#include <QGroupBox>
#include <QLabel>

namespace velkan::ui {

namespace {

const QColor kValueColour(150, 52, 100);
const QColor kTransparent(255, 0, 255);
constexpr int kOkPicture = 219;

std::unique_ptr<search::ServerInfoQuery> StartedQuery(channel::BlowFish& cipher, const std::string& nick,
                                                      const std::string& host, int port,
                                                      search::ServerInfoQuerySettings settings)
{
    auto query = std::make_unique<search::ServerInfoQuery>(
        cipher, channel::ServerEntry{.nick = nick, .host = host, .port = port}, std::move(settings));
    query->Start();
    return query;
}

} // namespace

ServerInfoDialog::ServerInfoDialog(channel::BlowFish& cipher, const std::string& nick,
                                   const std::string& host, int port,
                                   search::ServerInfoQuerySettings settings, QWidget* parent)
    : ServerInfoDialog(StartedQuery(cipher, nick, host, port, std::move(settings)), parent)
{
}

ServerInfoDialog::ServerInfoDialog(std::unique_ptr<search::ServerInfoQuery> query, QWidget* parent)
    : QDialog(parent), m_query(std::move(query))
{
    setFont(TemplateFont(9));
    const DialogUnits units(font());
    setWindowTitle(QStringLiteral("서버정보"));
    setFixedSize(units.X(147), units.Y(177));

    auto* shared = new QGroupBox(QStringLiteral("공유 정보"), this);
    shared->setGeometry(units.Rect(7, 27, 133, 52));
    auto* other = new QGroupBox(QStringLiteral("기타정보"), this);
    other->setGeometry(units.Rect(7, 87, 133, 61));

    m_title = AddLabel(search::ServerInfoTitle(m_query->Server().nick), units.Rect(7, 7, 133, 12), true);
    AddLabel(QStringLiteral("다운로드"), units.Rect(18, 41, 34, 13), false);
    m_download = AddLabel({}, units.Rect(68, 41, 51, 13), true);
    AddLabel(QStringLiteral("업로드"), units.Rect(18, 57, 34, 13), false);
    m_upload = AddLabel({}, units.Rect(68, 57, 51, 13), true);
    AddLabel(QStringLiteral("공유파일 크기"), units.Rect(18, 107, 44, 13), false);
    m_sharedSize = AddLabel({}, units.Rect(68, 107, 51, 13), true);
    AddLabel(QStringLiteral("공유파일 갯수"), units.Rect(18, 123, 48, 13), false);
    m_sharedCount = AddLabel({}, units.Rect(68, 123, 51, 13), true);
    AddLabel(QStringLiteral("개"), units.Rect(122, 123, 13, 13), false);

    m_ok = new BitmapButton(this);
    m_ok->setGeometry(units.Rect(96, 154, 44, 16));
    m_ok->SetBitmapResources(kOkPicture, kOkPicture, kOkPicture, kTransparent);
    m_ok->SetTooltipText(QStringLiteral("확인"), true);
    connect(m_ok, &QAbstractButton::clicked, this, &QDialog::accept);

    connect(m_query.get(), &search::ServerInfoQuery::answered, this, &ServerInfoDialog::Show);
    connect(m_query.get(), &search::ServerInfoQuery::ended, this, &ServerInfoDialog::queryEnded);
}

void ServerInfoDialog::keyPressEvent(QKeyEvent* event)
{
    // The OK button is the window's default command, wherever the focus is; Escape closes the
    // window as any dialog's does.
    if (IsEnterKey(*event)) {
        m_ok->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

QLabel* ServerInfoDialog::AddLabel(const QString& text, QRect geometry, bool value)
{
    auto* label = new QLabel(text, this);
    label->setGeometry(geometry);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    if (value) {
        QPalette colours = label->palette();
        colours.setColor(QPalette::WindowText, kValueColour);
        label->setPalette(colours);
    }
    return label;
}

void ServerInfoDialog::Show(const search::ServerInfoTexts& texts)
{
    m_download->setText(texts.download);
    m_upload->setText(texts.upload);
    m_sharedCount->setText(texts.count);
    m_sharedSize->setText(texts.size);
    emit valuesShown();
}

QString ServerInfoDialog::TitleText() const { return m_title->text(); }
QString ServerInfoDialog::DownloadText() const { return m_download->text(); }
QString ServerInfoDialog::UploadText() const { return m_upload->text(); }
QString ServerInfoDialog::SharedCountText() const { return m_sharedCount->text(); }
QString ServerInfoDialog::SharedSizeText() const { return m_sharedSize->text(); }

} // namespace velkan::ui

#pragma once

#include <QObject>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

namespace velkan {

// Puts velkan::FileSearchWidget in Qt Designer's widget box, under the control's own toolbox
// picture, and lets QUiLoader build forms that use it. Inside Designer the panel shows but
// starts no search; forms loaded at run time search as their properties say.
class FileSearchWidgetPlugin : public QObject, public QDesignerCustomWidgetInterface {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.Qt.QDesignerCustomWidgetInterface")
    Q_INTERFACES(QDesignerCustomWidgetInterface)

public:
    explicit FileSearchWidgetPlugin(QObject* parent = nullptr);

    [[nodiscard]] QString name() const override;
    [[nodiscard]] QString group() const override;
    [[nodiscard]] QString toolTip() const override;
    [[nodiscard]] QString whatsThis() const override;
    [[nodiscard]] QString includeFile() const override;
    [[nodiscard]] QIcon icon() const override;
    [[nodiscard]] bool isContainer() const override;
    [[nodiscard]] QString domXml() const override;
    [[nodiscard]] bool isInitialized() const override;
    // Called by Designer only, never by QUiLoader: what tells the two apart.
    void initialize(QDesignerFormEditorInterface* core) override;
    QWidget* createWidget(QWidget* parent) override;

private:
    bool m_inDesigner = false;
};

} // namespace velkan

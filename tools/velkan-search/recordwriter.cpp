#include "tools/velkan-search/recordwriter.h"

#include <QJsonDocument>

namespace velkan::host {

void RecordWriter::Write(const char* type, QJsonObject record)
{
    record.insert(QStringLiteral("type"), QString::fromLatin1(type));
    // Compact output never holds a line break: control characters in texts are escaped.
    const QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact);
    m_out.write(line.constData(), line.size());
    m_out << '\n';
    m_out.flush();
}

} // namespace velkan::host

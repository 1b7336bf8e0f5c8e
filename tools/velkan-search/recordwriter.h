#pragma once

#include <QJsonObject>

#include <ostream>

namespace velkan::host {

// Writes JSON Lines: one record per line, each flushed at once so that a reader at the other
// end of a pipe sees it while the search goes on. Every record written goes through here.
class RecordWriter {
public:
    explicit RecordWriter(std::ostream& out) : m_out(out) {}

    // Writes the record with "type" set to type.
    void Write(const char* type, QJsonObject record);

private:
    std::ostream& m_out;
};

} // namespace velkan::host

#include "platform/qt/QtProcessStarter.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

namespace talvix {

bool QtProcessStarter::StartDetached(const std::string& program, const std::vector<std::string>& arguments)
{
    // decodeName is the inverse of how QProcess encodes them again for exec.
    QStringList list;
    for (const std::string& argument : arguments)
        list << QFile::decodeName(QByteArray::fromStdString(argument));
    QProcess process;
    process.setProgram(QFile::decodeName(QByteArray::fromStdString(program)));
    process.setArguments(list);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    return process.startDetached();
}

} // namespace talvix

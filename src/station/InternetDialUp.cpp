#include "station/InternetDialUp.h"

#include "platform/ShellPaths.h"

namespace talvix {
namespace {

class SystemDialUp final : public InternetDialUp {
public:
    bool IsConnectedToInternet() override { return talvix::IsConnectedToInternet(); }
    bool InternetConnect() override { return talvix::InternetConnect(); }
    void InternetDisconnect() override { talvix::InternetDisconnect(); }
};

} // namespace

InternetDialUp& systemDialUp()
{
    static SystemDialUp connection;
    return connection;
}

} // namespace talvix

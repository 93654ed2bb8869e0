#pragma once
// The dial-up connection that a station with AutoInternetBox dials when its data folder is not
// reachable and hangs up after a reception. The system's connection is asked through ShellPaths,
// where dialling is not available and reports false; tests put a scripted one in its place.

namespace talvix {

class InternetDialUp {
public:
    virtual ~InternetDialUp() = default;
    virtual bool IsConnectedToInternet() = 0;
    virtual bool InternetConnect() = 0;
    virtual void InternetDisconnect() = 0;
};

// The system's connection, shared by every station.
InternetDialUp& systemDialUp();

} // namespace talvix

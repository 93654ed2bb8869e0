#include "port/WinsockErrors.h"

#include <cerrno>

namespace talvix {

int winsockError(int errnoValue)
{
    struct Pair {
        int errnoValue;
        int winsock;
    };
    static constexpr Pair table[] = {
        { EINTR, 10004 },
        { EBADF, 10009 },
        { EACCES, 10013 },
        { EFAULT, 10014 },
        { EINVAL, 10022 },
        { EMFILE, 10024 },
        { EWOULDBLOCK, 10035 },
        { EINPROGRESS, 10036 },
        { EALREADY, 10037 },
        { ENOTSOCK, 10038 },
        { EDESTADDRREQ, 10039 },
        { EMSGSIZE, 10040 },
        { EPROTOTYPE, 10041 },
        { ENOPROTOOPT, 10042 },
        { EPROTONOSUPPORT, 10043 },
        { EOPNOTSUPP, 10045 },
        { EAFNOSUPPORT, 10047 },
        { EADDRINUSE, 10048 },
        { EADDRNOTAVAIL, 10049 },
        { ENETDOWN, 10050 },
        { ENETUNREACH, 10051 },
        { ENETRESET, 10052 },
        { ECONNABORTED, 10053 },
        { EPIPE, 10053 },
        { ECONNRESET, 10054 },
        { ENOBUFS, 10055 },
        { EISCONN, 10056 },
        { ENOTCONN, 10057 },
        { ESHUTDOWN, 10058 },
        { ETIMEDOUT, 10060 },
        { ECONNREFUSED, 10061 },
        { EHOSTDOWN, 10064 },
        { EHOSTUNREACH, 10065 },
    };
    for (const Pair& p : table) {
        if (p.errnoValue == errnoValue)
            return p.winsock;
    }
    return 10022;
}

} // namespace talvix

#pragma once
// Socket errors as the station knows them: the Winsock numbers of the errno values a TCP client
// meets, and the texts of the codes the network port raises itself.

#include <string>

namespace talvix {

inline constexpr int WSAEDESTADDRREQ = 10039;
inline constexpr int WSAENETRESET = 10052;
inline constexpr int WSAECONNABORTED = 10053;
inline constexpr int WSAECONNRESET = 10054;
inline constexpr int WSAECONNREFUSED = 10061;

// The Winsock number for an errno value; errors without a counterpart give WSAEINVAL (10022).
int winsockError(int errnoValue);

} // namespace talvix

// The proxy's side of each handshake: the first byte picks HTTP CONNECT, SOCKS5 (with or
// without credentials) or SOCKS4; the rest is what the proxy answers.
#include <cstddef>
#include <cstdint>

#include "transport/memory_stream.h"
#include "transport/proxy_handshake.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  orra::ConnectionProfile profile;
  profile.SetServer("10.0.0.1", 9911);
  const uint8_t choice = data[0] % 4;
  const uint32_t kinds[] = {orra::ProxyKind::kHttpConnect, orra::ProxyKind::kSocks5, orra::ProxyKind::kSocks5,
                            orra::ProxyKind::kSocks4};
  profile.SetProxy(kinds[choice], "127.0.0.1", 1080, choice == 2 ? "user" : "", choice == 2 ? "password" : "");
  orra::MemoryStream stream({data + 1, size - 1});
  (void)orra::RunProxyHandshake(stream, profile, 0x0A000001);
  return 0;
}

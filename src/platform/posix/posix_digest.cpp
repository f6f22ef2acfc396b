// Digests through OpenSSL's libcrypto, the system's own crypto library on Linux.
#include <openssl/evp.h>

#include "platform/posix/posix_system.h"

namespace platform::posix {

std::vector<std::uint8_t> LibcryptoDigest(THashAlgorithm algorithm, std::span<const std::uint8_t> data) {
  const EVP_MD* md = nullptr;
  switch (algorithm) {
    case THashAlgorithm::haSha1: md = EVP_sha1(); break;
    case THashAlgorithm::haSha256: md = EVP_sha256(); break;
  }
  std::vector<std::uint8_t> digest(EVP_MAX_MD_SIZE);
  unsigned int size = 0;
  if (md == nullptr || EVP_Digest(data.data(), data.size(), digest.data(), &size, md, nullptr) != 1) return {};
  digest.resize(size);
  return digest;
}

}  // namespace platform::posix

// Whether a program may be started elevated, or become the program itself, by its Authenticode
// signature: once this program is signed, only programs of the same publisher are. Platform-free.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sl {

enum class SignatureState {
  Unsigned,  // no signature at all
  Valid,     // the file is as signed, and the signer chains to a trusted root
  Invalid,   // a signature that does not hold: changed bytes, an unknown root, a revoked signer
};

// A signer's certificate chain is good when it carries no error but those of a revocation status
// that could not be learned (a player offline, a revocation server away): a certificate known to
// be revoked is not. Bits as CERT_TRUST_STATUS.dwErrorStatus gives them.
inline constexpr uint32_t kTrustRevocationStatusUnknown = 0x00000040;
inline constexpr uint32_t kTrustIsOfflineRevocation = 0x01000000;
[[nodiscard]] bool ChainErrorsAcceptable(uint32_t errorStatus);

enum class TrustVerdict {
  Accept,           // signed by this program's publisher
  AcceptUnchecked,  // this program is not signed (test and demo builds): nothing to compare with
  Refuse,
};
// `sameSubject`: the file's signer has the subject of this program's signer.
[[nodiscard]] TrustVerdict DecideTrust(SignatureState own, SignatureState file, bool sameSubject);

// What the player reads when a setup program or the self-update package is refused.
[[nodiscard]] std::string SetupRefusedText(std::string_view setupName);
[[nodiscard]] std::string PackageRefusedText(std::string_view packageName);

}  // namespace sl

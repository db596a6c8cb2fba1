#include "install/signature_rules.h"

#include "base/text.h"

namespace sl {

bool ChainErrorsAcceptable(uint32_t errorStatus) {
  return (errorStatus & ~(kTrustRevocationStatusUnknown | kTrustIsOfflineRevocation)) == 0;
}

TrustVerdict DecideTrust(SignatureState own, SignatureState file, bool sameSubject) {
  if (own == SignatureState::Unsigned) return TrustVerdict::AcceptUnchecked;
  return file == SignatureState::Valid && sameSubject ? TrustVerdict::Accept : TrustVerdict::Refuse;
}

std::string SetupRefusedText(std::string_view setupName) {
  return Format(
      "Chương trình cài đặt %.*s không có chữ ký số hợp lệ của nhà phát hành, chương trình không chạy nó.",
      static_cast<int>(setupName.size()), setupName.data());
}

std::string PackageRefusedText(std::string_view packageName) {
  return Format("Gói cập nhật %.*s không có chữ ký số hợp lệ của nhà phát hành, chương trình không cập nhật.",
                static_cast<int>(packageName.size()), packageName.data());
}

}  // namespace sl

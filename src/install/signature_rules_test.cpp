#include "install/signature_rules.h"

#include <gtest/gtest.h>

namespace sl {
namespace {

TEST(SignatureRules, OnceSignedOnlyTheSamePublishersValidSignatureIsTaken) {
  EXPECT_EQ(DecideTrust(SignatureState::Unsigned, SignatureState::Unsigned, false),
            TrustVerdict::AcceptUnchecked);
  EXPECT_EQ(DecideTrust(SignatureState::Valid, SignatureState::Valid, true), TrustVerdict::Accept);
  EXPECT_EQ(DecideTrust(SignatureState::Valid, SignatureState::Valid, false), TrustVerdict::Refuse);
  EXPECT_EQ(DecideTrust(SignatureState::Valid, SignatureState::Invalid, true), TrustVerdict::Refuse);
  EXPECT_EQ(DecideTrust(SignatureState::Valid, SignatureState::Unsigned, false), TrustVerdict::Refuse);
  EXPECT_EQ(DecideTrust(SignatureState::Invalid, SignatureState::Valid, true), TrustVerdict::Accept);
  // Offline, the revocation status cannot be learned: that alone does not refuse a chain.
  EXPECT_TRUE(ChainErrorsAcceptable(0));
  EXPECT_TRUE(ChainErrorsAcceptable(kTrustRevocationStatusUnknown | kTrustIsOfflineRevocation));
  EXPECT_FALSE(ChainErrorsAcceptable(0x00000004));                                  // revoked
  EXPECT_FALSE(ChainErrorsAcceptable(0x00000020 | kTrustRevocationStatusUnknown));  // untrusted root
  EXPECT_FALSE(ChainErrorsAcceptable(0x00010000));                                  // partial chain
}

}  // namespace
}  // namespace sl

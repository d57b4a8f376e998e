// SHA-256 against the published test vectors, including inputs whose padding needs a
// second block and one spanning many blocks.
#include <gtest/gtest.h>

#include <string>

#include "base/Sha256.h"

namespace lum {
namespace {

std::string Hex(const std::string& text) {
  return Sha256Hex(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(Sha256Test, PublishedVectors) {
  EXPECT_EQ(Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Hex(std::string(1000000, 'a')), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace lum

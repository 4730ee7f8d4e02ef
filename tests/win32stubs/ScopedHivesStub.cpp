// Stand-in until the registry overrides of the Windows tests land.
#include "TestSupport.h"

namespace qbtest {
ScopedHives::ScopedHives() {}
ScopedHives::~ScopedHives() = default;
}  // namespace qbtest

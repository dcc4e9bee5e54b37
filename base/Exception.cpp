#include "base/Exception.h"

#include "base/StrUtils.h"

namespace zel {

EListError EListError::OutOfBounds(long long index) {
  return EListError(Format("List index out of bounds (%lld)", index));
}

}  // namespace zel

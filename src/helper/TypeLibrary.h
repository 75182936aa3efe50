// The type library embedded in the helper's file as type library resource 1.
#pragma once

#include "helper/HelperPrelude.h"

namespace navlatch {

// Loads the library from the helper's own file, without registering it.
HRESULT LoadHelperTypeLib(ITypeLib** out);

// The type information of IIEHelper from that library.
HRESULT LoadHelperTypeInfo(ITypeInfo** out);

}  // namespace navlatch

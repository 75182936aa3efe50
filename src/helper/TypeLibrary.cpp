#include "helper/TypeLibrary.h"

#include "helper/HelperRaii.h"
#include "helper/Identifiers.h"
#include "helper/Module.h"

#include <string>

namespace navlatch {

HRESULT LoadHelperTypeLib(ITypeLib** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    const std::wstring path = ModulePath();
    if (path.empty()) return HRESULT_FROM_WIN32(::GetLastError());
    return ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, out);
}

HRESULT LoadHelperTypeInfo(ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    com_ptr<ITypeLib> library;
    NL_RETURN_IF_FAILED(LoadHelperTypeLib(library.put()));
    return library->GetTypeInfoOfGuid(IID_IIEHelper, out);
}

}  // namespace navlatch

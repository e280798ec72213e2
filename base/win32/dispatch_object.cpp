// Objects of the platform's component automation, driven through IDispatch.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/automation/automation_class.h"
#include "base/backend.h"
#include "base/gbk.h"

namespace velmora {

namespace {

std::wstring wide_text(const Text& text) {
    const std::u16string wide = to_wide(text);
    return std::wstring(wide.begin(), wide.end());
}

// Enters the component library on the calling thread for as long as it lives.
class ComEntry {
  public:
    ComEntry() : entered_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComEntry() {
        if (entered_) {
            CoUninitialize();
        }
    }
    ComEntry(const ComEntry&) = delete;
    ComEntry& operator=(const ComEntry&) = delete;

  private:
    bool entered_;
};

Variant from_variant(const VARIANT& value);

class DispatchObject final : public AutomationObject {
  public:
    // Takes over one reference to `dispatch`.
    explicit DispatchObject(IDispatch* dispatch) : dispatch_(dispatch) {}
    ~DispatchObject() override { dispatch_->Release(); }
    DispatchObject(const DispatchObject&) = delete;
    DispatchObject& operator=(const DispatchObject&) = delete;

    IDispatch* dispatch() const { return dispatch_; }

    const MemberTable& members() const override {
        static const MemberTable none = std::initializer_list<MemberOf<DispatchObject>>{};
        return none;
    }

    void call_member(std::string_view member, std::span<const MemberAccess> order,
                     MemberCall& call) override;

  private:
    ComEntry entry_;  // the object's whole life
    IDispatch* dispatch_;
};

// The argument as the platform takes it; false when it has no such form.
bool to_variant(const Variant& value, VARIANT& out) {
    VariantInit(&out);
    struct Converter {
        VARIANT& out;
        bool operator()(std::monostate) const { return true; }
        bool operator()(bool v) const {
            out.vt = VT_BOOL;
            out.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
            return true;
        }
        bool operator()(std::uint8_t v) const {
            out.vt = VT_UI1;
            out.bVal = v;
            return true;
        }
        bool operator()(std::int16_t v) const {
            out.vt = VT_I2;
            out.iVal = v;
            return true;
        }
        bool operator()(std::int32_t v) const {
            out.vt = VT_I4;
            out.lVal = v;
            return true;
        }
        bool operator()(float v) const {
            out.vt = VT_R4;
            out.fltVal = v;
            return true;
        }
        bool operator()(double v) const {
            out.vt = VT_R8;
            out.dblVal = v;
            return true;
        }
        bool operator()(DateTime v) const {
            out.vt = VT_DATE;
            out.date = v.days;
            return true;
        }
        bool operator()(const std::u16string& v) const {
            out.vt = VT_BSTR;
            out.bstrVal = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(v.data()),
                                            static_cast<UINT>(v.size()));
            return out.bstrVal != nullptr;
        }
        bool operator()(const Bytes& v) const {
            SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(v.size()));
            void* data = nullptr;
            if (array == nullptr || FAILED(SafeArrayAccessData(array, &data))) {
                return false;
            }
            std::copy(v.begin(), v.end(), static_cast<unsigned char*>(data));
            SafeArrayUnaccessData(array);
            out.vt = VT_ARRAY | VT_UI1;
            out.parray = array;
            return true;
        }
        bool operator()(const ComObject& v) const {
            const auto* object = dynamic_cast<const DispatchObject*>(v.get());
            if (v && object == nullptr) {
                return false;  // one of our own objects: the platform cannot call it
            }
            out.vt = VT_DISPATCH;
            out.pdispVal = object != nullptr ? object->dispatch() : nullptr;
            if (out.pdispVal != nullptr) {
                out.pdispVal->AddRef();
            }
            return true;
        }
    };
    return std::visit(Converter{out}, value);
}

Variant from_variant(const VARIANT& value) {
    switch (value.vt) {
        case VT_EMPTY:
        case VT_NULL:
            return {};
        case VT_BOOL:
            return value.boolVal != VARIANT_FALSE;
        case VT_UI1:
            return value.bVal;
        case VT_I2:
            return value.iVal;
        case VT_I4:
            return static_cast<std::int32_t>(value.lVal);
        case VT_INT:
            return static_cast<std::int32_t>(value.intVal);
        case VT_R4:
            return value.fltVal;
        case VT_R8:
            return value.dblVal;
        case VT_DATE:
            return DateTime{value.date};
        case VT_BSTR:
            return std::u16string(reinterpret_cast<const char16_t*>(value.bstrVal),
                                  SysStringLen(value.bstrVal));
        case VT_DISPATCH:
            if (value.pdispVal == nullptr) {
                return ComObject();
            }
            value.pdispVal->AddRef();
            return ComObject(std::make_shared<DispatchObject>(value.pdispVal));
        case VT_ARRAY | VT_UI1: {
            Bytes bytes(value.parray->rgsabound[0].cElements);
            void* data = nullptr;
            if (SUCCEEDED(SafeArrayAccessData(value.parray, &data))) {
                const auto* first = static_cast<const unsigned char*>(data);
                bytes.assign(first, first + bytes.size());
                SafeArrayUnaccessData(value.parray);
            }
            return bytes;
        }
        default: {
            // Other kinds (unsigned, currency, ...) are read as the numbers they hold.
            VARIANT number;
            VariantInit(&number);
            if (SUCCEEDED(VariantChangeType(&number, const_cast<VARIANT*>(&value), 0, VT_R8))) {
                return number.dblVal;
            }
            return {};
        }
    }
}

WORD dispatch_flags(MemberAccess access) {
    switch (access) {
        case MemberAccess::method:
            return DISPATCH_METHOD;
        case MemberAccess::property_get:
            return DISPATCH_PROPERTYGET;
        case MemberAccess::property_put:
            return DISPATCH_PROPERTYPUT;
        case MemberAccess::property_put_ref:
            break;
    }
    return DISPATCH_PROPERTYPUTREF;
}

AutomationError error_of(HRESULT result, const EXCEPINFO& exception, const Text& member) {
    switch (result) {
        case DISP_E_MEMBERNOTFOUND:
        case DISP_E_UNKNOWNNAME:
            return {AutomationError::Kind::unknown_member, "no member named " + member};
        case DISP_E_BADPARAMCOUNT:
        case DISP_E_PARAMNOTOPTIONAL:
            return {AutomationError::Kind::wrong_argument_count,
                    member + " does not take these arguments"};
        case DISP_E_TYPEMISMATCH:
            return {AutomationError::Kind::type_mismatch, "an argument of " + member};
        default:
            break;
    }
    Text description = member + " failed";
    if (result == DISP_E_EXCEPTION && exception.bstrDescription != nullptr) {
        description = from_wide(
            std::u16string_view(reinterpret_cast<const char16_t*>(exception.bstrDescription),
                                SysStringLen(exception.bstrDescription)));
    }
    return {AutomationError::Kind::raised_by_object, description};
}

void DispatchObject::call_member(std::string_view member, std::span<const MemberAccess> order,
                                 MemberCall& call) {
    const ComEntry entry;
    const Text name(member);
    std::wstring wide_name = wide_text(name);
    LPOLESTR names[] = {wide_name.data()};
    DISPID id = 0;
    if (FAILED(dispatch_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) {
        call.fail({AutomationError::Kind::unknown_member, "no member named " + name});
        return;
    }
    // The platform takes the arguments last first.
    std::vector<VARIANT> arguments(call.count());
    bool converted = true;
    for (std::size_t i = 0; i < call.count(); ++i) {
        converted = to_variant(call.at(i), arguments[call.count() - 1 - i]) && converted;
    }
    if (converted) {
        AutomationError error;
        for (MemberAccess access : order) {
            const bool put =
                access == MemberAccess::property_put || access == MemberAccess::property_put_ref;
            DISPID named = DISPID_PROPERTYPUT;
            DISPPARAMS parameters{arguments.data(), put ? &named : nullptr,
                                  static_cast<UINT>(arguments.size()), put ? 1u : 0u};
            VARIANT result;
            VariantInit(&result);
            EXCEPINFO exception{};
            const HRESULT outcome =
                dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, dispatch_flags(access),
                                  &parameters, put ? nullptr : &result, &exception, nullptr);
            if (SUCCEEDED(outcome)) {
                call.set_result(from_variant(result));
                VariantClear(&result);
                error = {};
                break;
            }
            error = error_of(outcome, exception, name);
            SysFreeString(exception.bstrSource);
            SysFreeString(exception.bstrDescription);
            SysFreeString(exception.bstrHelpFile);
            if (outcome != DISP_E_MEMBERNOTFOUND) {
                break;
            }
        }
        if (error) {
            call.fail(error);
        }
    } else {
        call.fail({AutomationError::Kind::type_mismatch, "an argument of " + name});
    }
    for (VARIANT& argument : arguments) {
        VariantClear(&argument);
    }
}

}  // namespace

namespace backend {

ComObject create_platform_object(const Text& class_name) {
    const ComEntry entry;
    const std::wstring name = wide_text(class_name);
    CLSID class_id;
    const HRESULT found = !name.empty() && name.front() == L'{'
                              ? CLSIDFromString(name.c_str(), &class_id)
                              : CLSIDFromProgID(name.c_str(), &class_id);
    IDispatch* dispatch = nullptr;
    if (FAILED(found) ||
        FAILED(CoCreateInstance(class_id, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
        return {};
    }
    return std::make_shared<DispatchObject>(dispatch);
}

}  // namespace backend

}  // namespace velmora

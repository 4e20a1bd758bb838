// The automation bridge against Wine's ScriptControl and against an object of the tests' own.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstring>
#include <string>

#include "runtime/call_command.h"
#include "runtime/commands_com.h"
#include "runtime/library_com.h"
#include "test_support.h"

namespace {
struct ComScope {
    ComScope() { CoInitialize(nullptr); }
    ~ComScope() { CoUninitialize(); }
};

bool MakeScript(ComObjectVar& sc) {
    return ComCreate(sc, "ScriptControl") && ComSetProperty(sc, "Language", TextArg("JScript"));
}

// ---- An automation object of the tests' own: type information built in memory, Invoke by hand.
// Members: Twice(in long, out long*) ; Label(out BSTR*) ; Count (property get/put of long).
enum { kIdTwice = 1, kIdLabel = 2, kIdCount = 3 };
const CLSID kOwnClsid = {0x5a7e0c11, 0x2b1d, 0x4c55, {0x9a, 0x61, 0x30, 0x8e, 0x41, 0x0f, 0x7c, 0x21}};

ITypeInfo* BuildOwnTypeInfo() {
    ICreateTypeLib2* lib = nullptr;
    if (FAILED(CreateTypeLib2(SYS_WIN32, L"own_test.tlb", &lib))) return nullptr;
    ICreateTypeInfo* ct = nullptr;
    ITypeInfo* info = nullptr;
    if (SUCCEEDED(lib->CreateTypeInfo(const_cast<LPOLESTR>(L"IOwn"), TKIND_DISPATCH, &ct))) {
        ITypeLib* std = nullptr;
        ITypeInfo* dispInfo = nullptr;
        HREFTYPE ref;
        if (SUCCEEDED(LoadRegTypeLib(IID_StdOle, 2, 0, 0, &std)) &&
            SUCCEEDED(std->GetTypeInfoOfGuid(IID_IDispatch, &dispInfo)) &&
            SUCCEEDED(ct->AddRefTypeInfo(dispInfo, &ref)))
            ct->AddImplType(0, ref);
        if (dispInfo) dispInfo->Release();
        if (std) std->Release();

        TYPEDESC longDesc = {}, longPtr = {}, bstrDesc = {}, bstrPtr = {};
        longDesc.vt = VT_I4;
        longPtr.vt = VT_PTR;
        longPtr.lptdesc = &longDesc;
        bstrDesc.vt = VT_BSTR;
        bstrPtr.vt = VT_PTR;
        bstrPtr.lptdesc = &bstrDesc;

        ELEMDESC twiceParams[2] = {};
        twiceParams[0].tdesc = longDesc;
        twiceParams[0].paramdesc.wParamFlags = PARAMFLAG_FIN;
        twiceParams[1].tdesc = longPtr;
        twiceParams[1].paramdesc.wParamFlags = PARAMFLAG_FOUT;
        ELEMDESC labelParams[1] = {};
        labelParams[0].tdesc = bstrPtr;
        labelParams[0].paramdesc.wParamFlags = PARAMFLAG_FOUT;
        ELEMDESC putParams[1] = {};
        putParams[0].tdesc = longDesc;

        FUNCDESC f = {};
        f.funckind = FUNC_DISPATCH;
        f.callconv = CC_STDCALL;
        f.elemdescFunc.tdesc.vt = VT_EMPTY;

        f.memid = kIdTwice; f.invkind = INVOKE_FUNC; f.cParams = 2; f.lprgelemdescParam = twiceParams;
        f.elemdescFunc.tdesc.vt = VT_VOID;
        ct->AddFuncDesc(0, &f);
        f.memid = kIdLabel; f.invkind = INVOKE_FUNC; f.cParams = 1; f.lprgelemdescParam = labelParams;
        ct->AddFuncDesc(1, &f);
        f.memid = kIdCount; f.invkind = INVOKE_PROPERTYGET; f.cParams = 0; f.lprgelemdescParam = nullptr;
        f.elemdescFunc.tdesc.vt = VT_I4;
        ct->AddFuncDesc(2, &f);
        f.memid = kIdCount; f.invkind = INVOKE_PROPERTYPUT; f.cParams = 1; f.lprgelemdescParam = putParams;
        f.elemdescFunc.tdesc.vt = VT_VOID;
        ct->AddFuncDesc(3, &f);

        LPOLESTR twiceNames[] = {const_cast<LPOLESTR>(L"Twice"), const_cast<LPOLESTR>(L"value"), const_cast<LPOLESTR>(L"doubled")};
        LPOLESTR labelNames[] = {const_cast<LPOLESTR>(L"Label"), const_cast<LPOLESTR>(L"text")};
        LPOLESTR countNames[] = {const_cast<LPOLESTR>(L"Count")};
        ct->SetFuncAndParamNames(0, twiceNames, 3);
        ct->SetFuncAndParamNames(1, labelNames, 2);
        ct->SetFuncAndParamNames(2, countNames, 1);
        ct->SetFuncAndParamNames(3, countNames, 1);
        ct->LayOut();
        ct->QueryInterface(IID_ITypeInfo, reinterpret_cast<void**>(&info));
        ct->Release();
    }
    lib->Release();
    return info;
}

class OwnObject : public IDispatch {
public:
    explicit OwnObject(ITypeInfo* info) : info_(info) { info_->AddRef(); }
    long count = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG r = --refs_;
        if (r == 0) {
            info_->Release();
            delete this;
        }
        return r;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { *n = 1; return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        info_->AddRef();
        *out = info_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        switch (id) {
        case kIdTwice:  // rgvarg is last to first: [0] = doubled (by ref), [1] = value
            if (p->cArgs != 2 || p->rgvarg[0].vt != (VT_BYREF | VT_I4)) return DISP_E_TYPEMISMATCH;
            *p->rgvarg[0].plVal = p->rgvarg[1].lVal * 2;
            return S_OK;
        case kIdLabel:
            if (p->cArgs != 1 || p->rgvarg[0].vt != (VT_BYREF | VT_BSTR)) return DISP_E_TYPEMISMATCH;
            SysFreeString(*p->rgvarg[0].pbstrVal);
            *p->rgvarg[0].pbstrVal = SysAllocString(L"标签");
            return S_OK;
        case kIdCount:
            if (flags & DISPATCH_PROPERTYPUT) {
                if (p->cNamedArgs != 1 || p->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return DISP_E_PARAMNOTFOUND;
                VARIANT v;
                VariantInit(&v);
                if (FAILED(VariantChangeType(&v, &p->rgvarg[0], 0, VT_I4))) return DISP_E_TYPEMISMATCH;
                count = v.lVal;
                return S_OK;
            }
            if (result) {
                result->vt = VT_I4;
                result->lVal = count;
            }
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    ITypeInfo* info_;
    ULONG refs_ = 1;
};

class OwnFactory : public IClassFactory {
public:
    ITypeInfo* info = nullptr;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (outer) return CLASS_E_NOAGGREGATION;
        OwnObject* o = new OwnObject(info);
        HRESULT hr = o->QueryInterface(riid, out);
        o->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

struct OwnClass {
    OwnFactory factory;
    DWORD cookie = 0;
    OwnClass() {
        factory.info = BuildOwnTypeInfo();
        if (factory.info)
            CoRegisterClassObject(kOwnClsid, &factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    }
    ~OwnClass() {
        if (cookie) CoRevokeClassObject(cookie);
        if (factory.info) factory.info->Release();
    }
};
const char* kOwnClsidText = "{5A7E0C11-2B1D-4C55-9A61-308E410F7C21}";
}  // namespace

TEST_CASE("ScriptControl runs JScript through the bridge; texts cross as code page 936") {
    ComScope com;
    LeakCheck leaks;
    {
        ComObjectVar sc;
        REQUIRE(MakeScript(sc));
        ComCall(sc, "ExecuteStatement", {TextArg("function xx(){return escape('中文 a') + '|' + unescape('%u6C49');}")});
        CHECK(ComLastError() == 0);
        TextVar r = ComCallText(sc, "Run", {TextArg("xx")});
        CHECK(ComLastError() == 0);
        CHECK(std::string(r) == "%u4E2D%u6587%20a|汉");
        // The variable list also carries extra arguments.
        ComCall(sc, "ExecuteStatement", {TextArg("function add(a,b){return a+b;}")});
        TextVar sum = ComCallText(sc, "Run", {TextArg("add"), IntArg(2), IntArg(40)});
        CHECK(std::string(sum) == "42");
    }
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("results are coerced to the command's kind") {
    ComScope com;
    ComObjectVar sc;
    REQUIRE(MakeScript(sc));
    TextVar three = ComCallText(sc, "Eval", {TextArg("1+2")});
    CHECK(std::string(three) == "3");
    CHECK(ComCallNumber(sc, "Eval", {TextArg("1.5*3")}) == 4.5);
    TextVar empty = ComCallText(sc, "Eval", {TextArg("''")});
    CHECK(empty.get() == nullptr);
    CHECK(ComLastError() == 0);
    // An object result does not become a number.
    CHECK(ComCallNumber(sc, "Eval", {TextArg("new Object()")}) == 0);
    CHECK(ComLastError() == -8);
}

TEST_CASE("member call failures give empty results and the error codes") {
    ComScope com;
    ComObjectVar none;
    TextVar t = ComCallText(none, "Run", {TextArg("x")});
    CHECK(t.get() == nullptr);
    CHECK(ComLastError() == -1);
    CHECK_FALSE(ComSetProperty(none, "Language", TextArg("JScript")));

    ComObjectVar sc;
    REQUIRE(MakeScript(sc));
    struct Case {
        const char* member;
        int argCount;
        int error;
    } cases[] = {
        {"NoSuchMember", 0, -3},
        {"ExecuteStatement", 2, -5},  // declares one parameter
    };
    for (const Case& c : cases) {
        CAPTURE(c.member);
        if (c.argCount == 0) ComCall(sc, c.member);
        else ComCall(sc, c.member, {TextArg("var a=1;"), TextArg("extra")});
        CHECK(ComLastError() == c.error);
    }
    // A script error surfaces as an exception from Invoke.
    ComCall(sc, "ExecuteStatement", {TextArg("throw 1;")});
    CHECK(ComLastError() == -11);
    // An argument kind without a mapping.
    ArgRecord sub = {0x401000, 0, kSubroutine};
    ComCall(sc, "ExecuteStatement", {sub});
    CHECK(ComLastError() == -7);
}

TEST_CASE("an unknown ProgID fails and keeps the variable's old object") {
    ComScope com;
    ComObjectVar sc;
    REQUIRE(MakeScript(sc));
    CHECK_FALSE(ComCreate(sc, "No.Such.Object.Anywhere"));
    CHECK_FALSE(ComCreate(sc, "{00000000-1111-2222-3333-444444444444}"));
    REQUIRE(sc.holdsObject());
    TextVar r = ComCallText(sc, "Eval", {TextArg("6*7")});
    CHECK(std::string(r) == "42");
    ComRelease(sc);
    CHECK_FALSE(sc.holdsObject());
}

TEST_CASE("VariantAssign makes byte arrays and VariantReset empties") {
    LeakCheck leaks;
    {
        VariantVar v;
        CHECK(reinterpret_cast<VARIANT*>(v.block())->vt == VT_I4);
        ByteSetVar bytes(static_cast<ByteSet>(AllocMemory(11)));
        int32_t header[2] = {1, 3};
        memcpy(bytes.block(), header, 8);
        memcpy(bytes.block() + 8, "\x01\x02\x03", 3);
        REQUIRE(VariantAssign(v, ByteSetArg(bytes.block())));
        VARIANT* var = reinterpret_cast<VARIANT*>(v.block());
        CHECK(var->vt == 0x2011);
        REQUIRE(var->parray != nullptr);
        CHECK(var->parray->rgsabound[0].cElements == 3);
        CHECK(memcmp(var->parray->pvData, "\x01\x02\x03", 3) == 0);

        REQUIRE(VariantAssign(v, TextArg("中")));
        CHECK(var->vt == VT_BSTR);
        CHECK(var->bstrVal[0] == 0x4E2D);

        ArgRecord sub = {1, 0, kSubroutine};
        CHECK_FALSE(VariantAssign(v, sub));
        VariantReset(v);
        const uint8_t zero[16] = {};
        CHECK(memcmp(v.block(), zero, 16) == 0);
    }
    CHECK(leaks.leaked() == 0);
}

TEST_CASE("an object of the tests' own: output parameters come back to the caller's variables") {
    ComScope com;
    OwnClass own;
    REQUIRE(own.factory.info != nullptr);
    LeakCheck leaks;
    {
        ComObjectVar obj;
        REQUIRE(ComCreate(obj, kOwnClsidText));

        int32_t doubled = 0;
        ComCall(obj, "Twice", {IntArg(21), ByRefIntArg(&doubled)});
        CHECK(ComLastError() == 0);
        CHECK(doubled == 42);

        Text label = nullptr;
        ArgRecord labelRef = {reinterpret_cast<uintptr_t>(&label), 0, kText | kPointerFlag};
        ComCall(obj, "Label", {labelRef});
        CHECK(ComLastError() == 0);
        CHECK(std::string(label ? label : "") == "标签");
        FreeMemory(label);

        // A number written as a text property is coerced by the member.
        CHECK(ComSetProperty(obj, "Count", TextArg("17")));
        CHECK(ComCallNumber(obj, "Count") == 17);
        TextVar asText = ComCallText(obj, "Count");
        CHECK(std::string(asText) == "17");
    }
    CHECK(leaks.leaked() == 0);
}

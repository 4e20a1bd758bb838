// EditBox: a Win32 "EDIT" control with an optional spin control beside it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "runtime/command_args.h"
#include "runtime/library.h"
#include "runtime/library_file.h"
#include "runtime/memory.h"
#include "ui/units/unit_common.h"
#include "ui/wide_text.h"

namespace {

enum EditProperty {
    kContent = 0, kBorder, kTextColour, kBackColour, kFont, kHideSelection, kMaxLength, kMultiLine, kScrollBars,
    kAlignment, kInputMode, kPasswordChar, kCaseConversion, kSpinMode, kSpinMin, kSpinMax, kSelStart, kSelLength,
    kSelText, kDataSource, kDataColumn, kContentWide,
};

const DWORD kStyleMask = ES_NOHIDESEL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_AUTOHSCROLL | WS_HSCROLL |
                         WS_VSCROLL | ES_CENTER | ES_RIGHT | ES_READONLY | ES_PASSWORD | ES_LOWERCASE | ES_UPPERCASE |
                         WS_BORDER;
const DWORD kBorderExMask = WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE;

DWORD EditStyle(const EditBoxData& d) {
    DWORD s = 0;
    if (!d.HideSelection) s |= ES_NOHIDESEL;
    if (d.MultiLine) {
        s |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
        if (d.ScrollBars == 1) s |= ES_AUTOHSCROLL | WS_HSCROLL;
        if (d.ScrollBars == 2) s |= WS_VSCROLL;
        if (d.ScrollBars == 3) s |= ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL;
    } else {
        s |= ES_AUTOHSCROLL;
    }
    if (d.Alignment == 1) s |= ES_CENTER;
    if (d.Alignment == 2) s |= ES_RIGHT;
    if (d.InputMode == 1) s |= ES_READONLY;
    if (d.InputMode == 2) s |= ES_PASSWORD;
    if (d.CaseConversion == 1) s |= ES_LOWERCASE;
    if (d.CaseConversion == 2) s |= ES_UPPERCASE;
    return s | BorderStyle(d.Border);
}

// The stored password character is a code page 936 code: a lead byte in the high half.
wchar_t PasswordChar(uint16_t code) {
    if (code == 0) return L'*';
    if (code < 0x80) return code;
    char bytes[2];
    int n = 0;
    if (code > 0xff) bytes[n++] = static_cast<char>(code >> 8);
    bytes[n++] = static_cast<char>(code & 0xff);
    wchar_t ch = 0;
    return MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, bytes, n, &ch, 1) == 1 ? ch : L'*';
}

// Program positions count code page 936 bytes; the control counts UTF-16 units.
int GbkBytes(const std::wstring& text, int wideCount) {
    wideCount = std::max(0, std::min(wideCount, static_cast<int>(text.size())));
    if (wideCount == 0) return 0;
    return WideCharToMultiByte(936, 0, text.data(), wideCount, nullptr, 0, nullptr, nullptr);
}

int WideUnits(const std::wstring& text, int bytes) {
    int used = 0;
    for (int i = 0; i < static_cast<int>(text.size()); ++i) {
        if (used >= bytes) return i;
        int step = WideCharToMultiByte(936, 0, &text[i], 1, nullptr, 0, nullptr, nullptr);
        used += step > 0 ? step : 1;
    }
    return static_cast<int>(text.size());
}

const UINT_PTR kEditSubclassId = 0x57484542;  // 'WHEB'

// Wine's edit control lays a paragraph out in time that grows with the square of its length
// (measured under Wine, one paragraph in a box of the input box's size: 16 K characters
// 0.14 s, 32 K 0.47 s, 64 K 1.7 s), and far worse for short words: 16 K characters of
// character references ("&#20013;&#25991;abc 123 ") took 7 s in the output box, 4 K 0.2 s
// with the conversion. Above this many UTF-16 units the box keeps its whole content itself
// and shows only the beginning.
const size_t kViewUnits = 4096;

// The bounded view: the content's beginning (never half a surrogate pair), then a line
// saying how much there is and that the program works on all of it.
std::wstring BoundedView(const std::wstring& whole) {
    size_t n = kViewUnits;
    if (n > 0 && whole[n - 1] >= 0xD800 && whole[n - 1] <= 0xDBFF) --n;
    wchar_t note[160];
    wsprintfW(note, L"\r\n……（共 %u 个字符，这里只显示开头；转换、复制和交换使用全部内容。内容太长，不能在框中编辑）",
              static_cast<unsigned>(whole.size()));
    return whole.substr(0, n) + note;
}

class EditBoxUnit : public Unit {
public:
    ~EditBoxUnit() override;
    bool Create(const UnitCreateParams& params);

    bool PropertyChanged(int k, const ArgRecord& value) override;
    bool ReadProperty(int k, ArgRecord* value) override;
    bool PropertyKind(int k, TypeCode* kind) override {
        if (k != kContent && k != kContentWide) return false;
        *kind = k == kContent ? kText : kByteSet;
        return true;
    }
    bool WantsKey(int virtualKey) override {
        return virtualKey == VK_RETURN && d_.MultiLine && d_.InputMode != 1;
    }
    void OnLoaded() override { PlaceSpin(); }
    bool OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void PlaceSpin();
    void Paste();

private:
    // The one place the content is read and written, as UTF-16: the GBK and wide content
    // properties, paste, and through them line-break removal and swap all go through here.
    std::wstring ContentW() const;
    // What the caret and the selection move in: the control's own text, which a bounded
    // view keeps short; the whole content is never copied for them.
    std::wstring SelectableText() const;
    // Replaces the content and raises the content-changed event once; caret >= 0 places
    // the caret first, so the event's handler sees (and may move) it.
    void SetContentW(const std::wstring& text, int caret = -1);
    void Selection(int* start, int* end) const {
        DWORD s = 0, e = 0;
        SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        *start = static_cast<int>(s);
        *end = static_cast<int>(e);
    }
    void Select(int start, int end) {
        SendMessageW(hwnd, EM_SETSEL, start, end);
        SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
    }
    void UpdateSpin();
    void DestroySpin();
    void ApplyPasswordChar() {
        SendMessageW(hwnd, EM_SETPASSWORDCHAR, d_.InputMode == 2 ? PasswordChar(d_.PasswordChar) : 0, 0);
        InvalidateRect(hwnd, nullptr, TRUE);
    }

    // While the content is longer than the control can lay out quickly, the whole of it
    // lives here and the control shows BoundedView(whole_), read-only.
    bool bounded_ = false;
    std::wstring whole_;

public:
    // Copy from a bounded box takes the whole content.
    bool CopyWhole();

private:
    EditBoxData d_;
    UnitFont font_;
    UnitBrush brush_;
    HWND spin_ = nullptr;
    int writing_ = 0;  // inside SetContentW: the control's own EN_CHANGE is folded into one event
};

std::wstring EditBoxUnit::SelectableText() const {
    if (!bounded_) return ContentW();
    std::wstring view(GetWindowTextLengthW(hwnd) + 1, L'\0');
    view.resize(GetWindowTextW(hwnd, &view[0], static_cast<int>(view.size())));
    return view;
}

std::wstring EditBoxUnit::ContentW() const {
    if (bounded_) return whole_;
    int n = GetWindowTextLengthW(hwnd);
    if (n <= 0) return std::wstring();
    std::wstring text(n + 1, L'\0');
    text.resize(GetWindowTextW(hwnd, &text[0], n + 1));
    return text;
}

void EditBoxUnit::SetContentW(const std::wstring& text, int caret) {
    // A multi-line control does not report text set from outside and a single-line one does:
    // the event is raised here, once, in both cases.
    ++writing_;
    if (text.size() > kViewUnits) {
        whole_ = text;
        bounded_ = true;
        SendMessageW(hwnd, EM_SETREADONLY, TRUE, 0);
        SetWindowTextW(hwnd, BoundedView(whole_).c_str());
        if (caret >= 0) caret = 0;  // the view is only the beginning
    } else {
        if (bounded_) {
            bounded_ = false;
            std::wstring().swap(whole_);
            SendMessageW(hwnd, EM_SETREADONLY, d_.InputMode == 1, 0);
        }
        SetWindowTextW(hwnd, text.c_str());
    }
    --writing_;
    if (!IsWindow(hwnd)) return;
    if (caret >= 0) Select(caret, caret);
    RaiseUnitEvent(windowId, unitId, 0);
}

bool EditBoxUnit::CopyWhole() {
    if (!bounded_ || d_.InputMode == 2) return false;
    ByteSetVar units = ZeroByteSet(static_cast<int32_t>(whole_.size() * sizeof(wchar_t)));
    memcpy(units.data(), whole_.data(), whole_.size() * sizeof(wchar_t));
    SetClipboardUnits(units);
    return true;
}

// The clipboard's text replaces the selection; text the system has only in the code page
// of CF_TEXT is read as GBK, as every text of the program is.
void EditBoxUnit::Paste() {
    if (GetWindowLongW(hwnd, GWL_STYLE) & ES_READONLY) return;
    ByteSetVar units = GetClipboardUnits();
    std::wstring clip(reinterpret_cast<const wchar_t*>(units.data()), ByteSetLength(units) / sizeof(wchar_t));
    std::wstring text = ContentW();
    int start, end;
    Selection(&start, &end);
    start = std::min(start, static_cast<int>(text.size()));
    end = std::max(start, std::min(end, static_cast<int>(text.size())));
    if (d_.MaxLength > 0) {
        size_t room = std::max(0, d_.MaxLength - static_cast<int>(text.size()) + (end - start));
        if (clip.size() > room) clip.resize(room);
    }
    if (clip.empty()) return;
    text.replace(start, end - start, clip);
    SetContentW(text, start + static_cast<int>(clip.size()));
}

LRESULT CALLBACK EditSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    if (msg == WM_PASTE) {
        if (EditBoxUnit* unit = static_cast<EditBoxUnit*>(UnitFromWindow(hwnd))) {
            unit->Paste();
            return 0;
        }
    }
    if (msg == WM_COPY) {
        if (EditBoxUnit* unit = static_cast<EditBoxUnit*>(UnitFromWindow(hwnd)))
            if (unit->CopyWhole()) return 0;
    }
    LRESULT r = DefSubclassProc(hwnd, msg, wParam, lParam);
    switch (msg) {
    case WM_WINDOWPOSCHANGED:
    case WM_ENABLE:
        if (EditBoxUnit* unit = static_cast<EditBoxUnit*>(UnitFromWindow(hwnd))) unit->PlaceSpin();
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, EditSubclass, id);
        break;
    default:
        break;
    }
    return r;
}

bool EditBoxUnit::Create(const UnitCreateParams& p) {
    if (!ReadEditBoxData(p.data, p.size, &d_)) return false;
    font_.Set(d_.Font);  // a font that cannot be made leaves the default one
    UnitCreateParams params = p;
    if (!d_.MultiLine) {
        // A single-line box is never lower than its text.
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, font_.handle());
        TEXTMETRICW tm;
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        int least = tm.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE);
        if (params.height < least) params.height = least;
    }
    HWND h = CreateUnitWindow(params, BorderExStyle(d_.Border), L"EDIT", d_.Content, EditStyle(d_));
    if (!h) return false;
    BindUnit(this, h, params, kTypeEditBox);
    SetWindowSubclass(h, EditSubclass, kEditSubclassId, 0);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), FALSE);
    if (d_.InputMode == 2) ApplyPasswordChar();
    SendMessageW(h, EM_LIMITTEXT, d_.MaxLength > 0 ? d_.MaxLength : 0, 0);
    UpdateSpin();
    std::wstring text = ContentW();
    int start = WideUnits(text, std::max(0, d_.SelStart));
    int end = WideUnits(text, std::max(0, d_.SelStart) + std::max(0, d_.SelLength));
    Select(start, end);
    return true;
}

EditBoxUnit::~EditBoxUnit() {
    DestroySpin();
    DestroyUnitWindow(this);
}

void EditBoxUnit::UpdateSpin() {
    bool want = d_.SpinMode != 0 && !d_.MultiLine;
    if (!want) {
        DestroySpin();
        return;
    }
    if (!spin_) {
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&icc);
        spin_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr,
                                WS_CHILD | UDS_ALIGNRIGHT | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0, 0, 0,
                                0, GetParent(hwnd), nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!spin_) return;
        AttachUnitPart(this, spin_);
        SendMessageW(spin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(hwnd), 0);
    }
    SendMessageW(spin_, UDM_SETRANGE32, std::min(d_.SpinMin, d_.SpinMax), std::max(d_.SpinMin, d_.SpinMax));
    PlaceSpin();
}

void EditBoxUnit::DestroySpin() {
    if (!spin_) return;
    HWND spin = spin_;
    spin_ = nullptr;
    DetachUnitPart(spin);
    if (IsWindow(spin)) DestroyWindow(spin);
}

// The spin control follows its box: into the box's container, beside it, shown with it.
void EditBoxUnit::PlaceSpin() {
    if (!spin_ || !IsWindow(spin_) || !IsWindow(hwnd)) return;
    HWND parent = GetParent(hwnd);
    if (GetParent(spin_) != parent) SetParent(spin_, parent);
    RECT rc;
    GetWindowRect(hwnd, &rc);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
    RECT sr;
    GetWindowRect(spin_, &sr);
    int width = sr.right - sr.left;
    if (width <= 0) width = GetSystemMetrics(SM_CXVSCROLL);
    bool visible = (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    SetWindowPos(spin_, hwnd, rc.right, rc.top, width, rc.bottom - rc.top,
                 SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    EnableWindow(spin_, IsWindowEnabled(hwnd));
}

bool EditBoxUnit::OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == hwnd && HIWORD(wParam) == EN_CHANGE) {
            if (!writing_) RaiseUnitEvent(windowId, unitId, 0);
            *result = 0;
            return true;
        }
        return false;
    case WM_NOTIFY: {
        const NMHDR* nm = reinterpret_cast<const NMHDR*>(lParam);
        if (nm->hwndFrom == spin_ && nm->code == UDN_DELTAPOS) {
            const NMUPDOWN* ud = reinterpret_cast<const NMUPDOWN*>(lParam);
            RaiseUnitEvent(windowId, unitId, 1, {ud->iDelta > 0 ? 1 : -1});
            *result = 0;
            return true;
        }
        return false;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
        if (reinterpret_cast<HWND>(lParam) != hwnd) return false;
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, DrawnColour(d_.TextColour));
        SetBkColor(dc, DrawnColour(d_.BackColour));
        *result = reinterpret_cast<LRESULT>(brush_.get(d_.BackColour));
        return true;
    }
    default:
        return false;
    }
}

bool EditBoxUnit::PropertyChanged(int k, const ArgRecord& v) {
    switch (k) {
    case kContent: SetContentW(GbkToWide(ArgText(v))); return true;
    case kContentWide: {
        int32_t length = 0;
        const uint8_t* bytes = ArgBytes(v, &length);
        std::wstring text(length / 2, L'\0');
        for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<wchar_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        SetContentW(text);
        return true;
    }
    case kBorder:
        d_.Border = ArgInt(v);
        ChangeExStyle(hwnd, kBorderExMask, BorderExStyle(d_.Border));
        ChangeStyle(hwnd, WS_BORDER, BorderStyle(d_.Border));
        return true;
    case kTextColour: d_.TextColour = static_cast<uint32_t>(ArgInt(v)); break;
    case kBackColour: d_.BackColour = static_cast<uint32_t>(ArgInt(v)); break;
    case kFont:
        if (font_.Set(ArgBlob(v))) {
            d_.Font = font_.image();
            SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), TRUE);
        }
        return true;
    case kHideSelection: d_.HideSelection = ArgInt(v); ChangeStyle(hwnd, ES_NOHIDESEL, EditStyle(d_)); return true;
    case kMaxLength:
        d_.MaxLength = ArgInt(v);
        SendMessageW(hwnd, EM_LIMITTEXT, d_.MaxLength > 0 ? d_.MaxLength : 0, 0);
        return true;
    // The control keeps what it can of these after creation; the values are kept in full.
    case kMultiLine: d_.MultiLine = ArgInt(v); ChangeStyle(hwnd, kStyleMask & ~WS_BORDER, EditStyle(d_)); UpdateSpin(); return true;
    case kScrollBars: d_.ScrollBars = ArgInt(v); ChangeStyle(hwnd, WS_HSCROLL | WS_VSCROLL | ES_AUTOHSCROLL, EditStyle(d_)); return true;
    case kAlignment: d_.Alignment = ArgInt(v); ChangeStyle(hwnd, ES_CENTER | ES_RIGHT, EditStyle(d_)); return true;
    case kInputMode:
        d_.InputMode = ArgInt(v);
        SendMessageW(hwnd, EM_SETREADONLY, d_.InputMode == 1 || bounded_, 0);
        ApplyPasswordChar();
        return true;
    case kPasswordChar:
        d_.PasswordChar = static_cast<uint16_t>(ArgInt(v));
        if (d_.InputMode == 2) ApplyPasswordChar();
        return true;
    case kCaseConversion: d_.CaseConversion = ArgInt(v); ChangeStyle(hwnd, ES_UPPERCASE | ES_LOWERCASE, EditStyle(d_)); return true;
    case kSpinMode: d_.SpinMode = ArgInt(v); UpdateSpin(); return true;
    case kSpinMin: d_.SpinMin = ArgInt(v); UpdateSpin(); return true;
    case kSpinMax: d_.SpinMax = ArgInt(v); UpdateSpin(); return true;
    case kSelStart: {
        std::wstring text = SelectableText();
        int request = ArgInt(v);
        int start, end;
        Selection(&start, &end);
        int length = std::max(0, end - start);
        if (request == -1) {
            start = static_cast<int>(text.size());
            length = 0;
        } else {
            start = WideUnits(text, std::max(0, request));
        }
        d_.SelStart = request;
        Select(start, std::min(static_cast<int>(text.size()), start + length));
        return true;
    }
    case kSelLength: {
        std::wstring text = SelectableText();
        int request = ArgInt(v);
        int start, end;
        Selection(&start, &end);
        d_.SelLength = request;
        if (request < 0) {
            end = static_cast<int>(text.size());  // -1: to the end
        } else {
            end = WideUnits(text, GbkBytes(text, start) + request);
        }
        Select(start, end);
        return true;
    }
    case kSelText:
        SendMessageW(hwnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(GbkToWide(ArgText(v)).c_str()));
        return true;
    case kDataSource: d_.DataSource = ArgString(v); return true;
    case kDataColumn: d_.DataColumn = ArgString(v); return true;
    default: return false;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    return true;
}

bool EditBoxUnit::ReadProperty(int k, ArgRecord* r) {
    switch (k) {
    case kContent: {
        std::wstring text = ContentW();
        Text t = WideToGbk(text.data(), static_cast<int>(text.size()));
        *r = {reinterpret_cast<uintptr_t>(t), 0, kText};
        return true;
    }
    case kContentWide: {
        // UTF-16 units, low byte first, whatever the size of wchar_t.
        std::wstring text = ContentW();
        std::string bytes(2 * text.size(), '\0');
        for (size_t i = 0; i < text.size(); ++i) {
            bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
            bytes[2 * i + 1] = static_cast<char>((text[i] >> 8) & 0xFF);
        }
        ResultByteSet(r, reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int32_t>(bytes.size()));
        return true;
    }
    case kBorder: ResultInt(r, d_.Border); return true;
    case kTextColour: ResultColour(r, d_.TextColour); return true;
    case kBackColour: ResultColour(r, d_.BackColour); return true;
    case kFont: ResultBlob(r, d_.Font); return true;
    case kHideSelection: ResultBool(r, d_.HideSelection != 0); return true;
    case kMaxLength: ResultInt(r, d_.MaxLength); return true;
    case kMultiLine: ResultBool(r, d_.MultiLine != 0); return true;
    case kScrollBars: ResultInt(r, d_.ScrollBars); return true;
    case kAlignment: ResultInt(r, d_.Alignment); return true;
    case kInputMode: ResultInt(r, d_.InputMode); return true;
    case kPasswordChar: ResultInt(r, d_.PasswordChar); return true;
    case kCaseConversion: ResultInt(r, d_.CaseConversion); return true;
    case kSpinMode: ResultInt(r, d_.SpinMode); return true;
    case kSpinMin: ResultInt(r, d_.SpinMin); return true;
    case kSpinMax: ResultInt(r, d_.SpinMax); return true;
    case kSelStart:
    case kSelLength:
    case kSelText: {
        std::wstring text = SelectableText();
        int start, end;
        Selection(&start, &end);
        start = std::min(start, static_cast<int>(text.size()));
        end = std::max(start, std::min(end, static_cast<int>(text.size())));
        if (k == kSelStart) {
            ResultInt(r, GbkBytes(text, start));
        } else if (k == kSelLength) {
            ResultInt(r, GbkBytes(text, end) - GbkBytes(text, start));
        } else {
            Text t = WideToGbk(text.data() + start, end - start);
            r->value = reinterpret_cast<uintptr_t>(t);
            r->extra = 0;
            r->type = kText;
        }
        return true;
    }
    case kDataSource: ResultString(r, d_.DataSource); return true;
    case kDataColumn: ResultString(r, d_.DataColumn); return true;
    default: return false;
    }
}

}  // namespace

void* EditBoxTypeQuery(int interfaceNumber) { return UnitTypeQueryFor<EditBoxUnit>(interfaceNumber); }

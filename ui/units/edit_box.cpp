// EditBox: a Win32 "EDIT" control with an optional spin control beside it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "runtime/clipboard.h"
#include "runtime/command_args.h"
#include "runtime/library.h"
#include "runtime/library_file.h"
#include "runtime/memory.h"
#include "ui/dpi.h"
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

// How much of a bounded content its view shows: never half a surrogate pair.
size_t ViewPrefix(const std::wstring& whole) {
    size_t n = kViewUnits;
    if (n > 0 && whole[n - 1] >= 0xD800 && whole[n - 1] <= 0xDBFF) --n;
    return n;
}

// The bounded view: the content's beginning, then a line saying how much there is and that
// the program works on all of it.
std::wstring BoundedView(const std::wstring& whole) {
    wchar_t note[160];
    wsprintfW(note, L"\r\n……（共 %u 个字符，这里只显示开头；转换、复制和交换使用全部内容。内容太长，不能在框中编辑）",
              static_cast<unsigned>(whole.size()));
    return whole.substr(0, ViewPrefix(whole)) + note;
}

// The most units a box holds: what a GBK or UTF-16 read of its content can give back whole.
const size_t kLargestContent = (INT32_MAX - 64) / 2;

// Events of the box: 0 content changed, 1 spin, 2 a text from outside refused with its
// length in units and why; the box keeps what it had.
const int32_t kEventRefused = 2;
enum RefusedBecause { kRefusedTooLong = 1, kRefusedNoMemory = 2 };

// Sizes that a runtime value cannot hold take the allocation failure path: a command ends
// with its prompt, instead of a length that wraps.
int32_t CheckedLength(size_t n, size_t unitBytes) {
    if (n > (INT32_MAX - 64) / unitBytes) RaiseAllocationFailure(static_cast<int64_t>(n) * static_cast<int64_t>(unitBytes));
    return static_cast<int32_t>(n);
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
    void OnDpiChanged() override {
        RefreshUnitFont(this, &font_);
        PlaceSpin();
    }
    bool OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

    void PlaceSpin();
    // Text that arrives from outside the unit's own writes - set, replaced, pasted, cut,
    // copied, by this process or another, by message or by key - comes here; true when it
    // was handled and *result is the answer. Only what the control can do as quickly and
    // exactly as the content path is left to it (small replacements, with their undo).
    bool Intercept(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Says that a text from outside was not taken, so the program can tell the user; for a
    // set or replaced text its length, for a paste 0.
    void Refuse(UINT msg, LPARAM lParam, RefusedBecause why);

private:
    // The one place the content is read and written, as UTF-16: the GBK and wide content
    // properties, paste, and through them line-break removal and swap all go through here.
    std::wstring ContentW() const;
    // What the caret and the selection move in: the control's own text, which a bounded
    // view keeps short; the whole content is never copied for them.
    std::wstring SelectableText() const;
    // Replaces the content and raises the content-changed event once; caret >= 0 places
    // the caret first, so the event's handler sees (and may move) it. Either the content
    // changes whole or, when memory runs out, not at all.
    void SetContentW(std::wstring text, int caret = -1);
    void Selection(int* start, int* end) const {
        DWORD s = 0, e = 0;
        SendMessageW(hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
        *start = static_cast<int>(s);
        *end = static_cast<int>(e);
    }
    // The selection as places in the whole content: in a bounded view, a place in the note
    // line stands for the content's end, so selecting all selects the whole content.
    void ContentSelection(size_t* start, size_t* end) const;
    void Select(int start, int end) {
        SendMessageW(hwnd, EM_SETSEL, start, end);
        SendMessageW(hwnd, EM_SCROLLCARET, 0, 0);
    }
    bool ReadOnly() const { return (GetWindowLongW(hwnd, GWL_STYLE) & ES_READONLY) != 0; }
    // What the box holds at most: its MaxLength, else kLargestContent.
    size_t Capacity() const { return d_.MaxLength > 0 ? static_cast<size_t>(d_.MaxLength) : kLargestContent; }
    // The selection replaced by text, cut to the box's most length. Small results go
    // through the control's own undoable replace.
    bool ReplaceSelection(const wchar_t* text, size_t count, bool undoable, LRESULT* result);
    void Paste();
    bool Copy();
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

void EditBoxUnit::SetContentW(std::wstring text, int caret) {
    // A multi-line control does not report text set from outside and a single-line one does:
    // the event is raised here, once, in both cases.
    struct Writing {
        int& depth;
        explicit Writing(int& d) : depth(d) { ++depth; }
        ~Writing() { --depth; }
    };
    {
        Writing writing(writing_);
        if (text.size() > kViewUnits) {
            std::wstring view = BoundedView(text);  // made before anything changes
            whole_.swap(text);
            bounded_ = true;
            SendMessageW(hwnd, EM_SETREADONLY, TRUE, 0);
            SetWindowTextW(hwnd, view.c_str());
            if (caret >= 0) caret = 0;  // the view is only the beginning
        } else {
            if (bounded_) {
                bounded_ = false;
                std::wstring().swap(whole_);
                SendMessageW(hwnd, EM_SETREADONLY, d_.InputMode == 1, 0);
            }
            SetWindowTextW(hwnd, text.c_str());
        }
    }
    if (!IsWindow(hwnd)) return;
    if (caret >= 0) Select(caret, caret);
    RaiseUnitEvent(windowId, unitId, 0);
}

void EditBoxUnit::ContentSelection(size_t* start, size_t* end) const {
    int s, e;
    Selection(&s, &e);
    size_t length = bounded_ ? whole_.size() : static_cast<size_t>(GetWindowTextLengthW(hwnd));
    size_t shown = bounded_ ? ViewPrefix(whole_) : length;
    auto place = [&](int p) { return static_cast<size_t>(p) > shown ? length : static_cast<size_t>(std::max(p, 0)); };
    *start = place(std::min(s, e));
    *end = place(std::max(s, e));
}

bool EditBoxUnit::ReplaceSelection(const wchar_t* text, size_t count, bool undoable, LRESULT* result) {
    *result = 0;
    size_t start, end;
    ContentSelection(&start, &end);
    size_t length = bounded_ ? whole_.size() : static_cast<size_t>(GetWindowTextLengthW(hwnd));
    if (d_.MaxLength > 0) {
        size_t kept = length - (end - start);
        size_t room = static_cast<size_t>(d_.MaxLength) > kept ? d_.MaxLength - kept : 0;
        count = std::min(count, room);
    }
    if (count > kLargestContent - std::min(length - (end - start), kLargestContent)) {
        Refuse(EM_REPLACESEL, reinterpret_cast<LPARAM>(text), kRefusedTooLong);
        return true;
    }
    if (!bounded_ && length - (end - start) + count <= kViewUnits) {
        std::wstring part(text, count);
        *result = DefSubclassProc(hwnd, EM_REPLACESEL, undoable, reinterpret_cast<LPARAM>(part.c_str()));
        return true;
    }
    std::wstring content = ContentW();
    content.replace(start, end - start, text, count);
    SetContentW(std::move(content), static_cast<int>(std::min<size_t>(start + count, INT32_MAX)));
    return true;
}

// Copy from a bounded box takes the whole content, or the part of the shown beginning that
// is selected; the clipboard gets it in one copy.
bool EditBoxUnit::Copy() {
    if (d_.InputMode == 2) return true;  // a password is never copied
    size_t start, end;
    ContentSelection(&start, &end);
    if (bounded_) {
        if (start == end) start = 0, end = whole_.size();
        return PutClipboardUnicode(whole_.data() + start, end - start);
    }
    if (start == end) return true;
    std::wstring text = ContentW();
    return PutClipboardUnicode(text.data() + start, end - start);
}

// The clipboard's text replaces the selection; text the system has only in the code page
// of CF_TEXT is read as GBK, as every text of the program is.
void EditBoxUnit::Paste() {
    if (ReadOnly()) return;
    std::wstring clip;
    if (!ReadClipboardUnicode(&clip)) {
        MessageBeep(MB_ICONWARNING);
        return;
    }
    LRESULT ignored;
    if (!clip.empty()) ReplaceSelection(clip.data(), clip.size(), true, &ignored);
}

bool EditBoxUnit::Intercept(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (writing_) return false;  // the unit's own writes
    switch (msg) {
    case WM_SETTEXT: {
        // Another program's text is taken whole or not at all: never cut, never lost.
        const wchar_t* text = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        if (wcslen(text) > Capacity()) {
            Refuse(msg, lParam, kRefusedTooLong);
            *result = FALSE;
            return true;
        }
        SetContentW(text);
        *result = TRUE;
        return true;
    }
    case EM_REPLACESEL: {
        const wchar_t* text = lParam ? reinterpret_cast<const wchar_t*>(lParam) : L"";
        return ReplaceSelection(text, wcslen(text), wParam != 0, result);
    }
    case WM_PASTE:
        Paste();
        *result = 0;
        return true;
    case WM_COPY:
        if (!Copy()) MessageBeep(MB_ICONWARNING);
        *result = 0;
        return true;
    case WM_CUT:
        // A read-only box only copies, as the control does.
        if (d_.InputMode == 2) return true;
        if (!Copy()) {
            MessageBeep(MB_ICONWARNING);
            return true;
        }
        if (!ReadOnly()) DefSubclassProc(hwnd, WM_CLEAR, 0, 0);
        *result = 0;
        return true;
    case WM_KEYDOWN: {
        // The control pastes, copies and cuts for these keys without a message of its own.
        bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0;
        if (wParam == VK_INSERT && shift && !control) return Intercept(WM_PASTE, 0, 0, result);
        if (wParam == VK_INSERT && control && !shift) return Intercept(WM_COPY, 0, 0, result);
        if (wParam == VK_DELETE && shift && !control) {
            int s, e;
            Selection(&s, &e);
            if (s != e) return Intercept(WM_CUT, 0, 0, result);
        }
        return false;
    }
    default:
        return false;
    }
}

void EditBoxUnit::Refuse(UINT msg, LPARAM lParam, RefusedBecause why) {
    size_t units = 0;
    if ((msg == WM_SETTEXT || msg == EM_REPLACESEL) && lParam) units = wcslen(reinterpret_cast<const wchar_t*>(lParam));
    MessageBeep(MB_ICONWARNING);
    RaiseUnitEvent(windowId, unitId, kEventRefused, {static_cast<int32_t>(std::min<size_t>(units, INT32_MAX)), why});
}

LRESULT CALLBACK EditSubclass(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    if (EditBoxUnit* unit = static_cast<EditBoxUnit*>(UnitFromWindow(hwnd))) {
        // No exception may leave a window procedure: text that does not fit in memory is
        // refused and the box keeps what it had.
        try {
            AllocationFailureThrows refused;
            LRESULT handled = 0;
            if (unit->Intercept(msg, wParam, lParam, &handled)) return handled;
        } catch (...) {
            unit->Refuse(msg, lParam, kRefusedNoMemory);
            return msg == WM_SETTEXT ? FALSE : 0;
        }
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
    font_.SetDpi(p.dpi);
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
        int least = tm.tmHeight + 2 * SystemMetricForDpi(SM_CYEDGE, p.dpi);
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
    int width = SystemMetricForDpi(SM_CXVSCROLL, dpi);
    bool visible = (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    SetWindowPos(spin_, hwnd, rc.right, rc.top, width, rc.bottom - rc.top,
                 SWP_NOACTIVATE | (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    EnableWindow(spin_, IsWindowEnabled(hwnd));
}

bool EditBoxUnit::OnParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (msg) {
    case WM_COMMAND:
        if (reinterpret_cast<HWND>(lParam) == hwnd && HIWORD(wParam) == EN_CHANGE) {
            // Typing that grows the text past the bound makes the box a bounded one.
            if (!writing_ && !bounded_ && static_cast<size_t>(GetWindowTextLengthW(hwnd)) > kViewUnits) {
                try {
                    AllocationFailureThrows keepTyped;
                    SetContentW(ContentW());
                } catch (...) {
                    RaiseUnitEvent(windowId, unitId, 0);
                }
            } else if (!writing_) {
                RaiseUnitEvent(windowId, unitId, 0);
            }
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
        SetContentW(std::move(text));
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
        Text t = WideToGbk(text.data(), CheckedLength(text.size(), 2));
        *r = {reinterpret_cast<uintptr_t>(t), 0, kText};
        return true;
    }
    case kContentWide: {
        // UTF-16 units, low byte first, whatever the size of wchar_t; written straight into
        // the value, as a large content is several hundred megabytes.
        const std::wstring* text = &whole_;
        std::wstring shown;
        if (!bounded_) text = &(shown = ContentW());
        int32_t n = CheckedLength(text->size(), 2);
        if (n == 0) {
            ResultByteSet(r, nullptr, 0);
            return true;
        }
        uint8_t* block = NewByteSetBlock(2 * n);
        uint8_t* d = ByteSetBytes(block);
        for (int32_t i = 0; i < n; ++i) {
            d[2 * i] = static_cast<uint8_t>((*text)[i] & 0xFF);
            d[2 * i + 1] = static_cast<uint8_t>(((*text)[i] >> 8) & 0xFF);
        }
        *r = {reinterpret_cast<uintptr_t>(block), 0, kByteSet};
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

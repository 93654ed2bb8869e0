#pragma once
// What a station window shows, kept in the engine so that the engine runs without widgets.
//
// The engine writes here; the window renders and writes user edits back (SNrEdit). Every setter
// tells the observers which item changed, and only when its value really changed, so a window
// repaints exactly what the poll altered (a poll every 600 ms mostly alters nothing).

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace talvix {

// Colour values as the window system counts them (blue, green, red from the high byte down).
using TColor = std::int32_t;
inline constexpr TColor clRed = 255;
inline constexpr TColor clGray = 8421504; // red, green and blue 128 each

enum class TViewItem : std::uint8_t {
    // Texts (captions of panels, the text of the serial-number edit, the hint of B_Datei, the
    // window's title).
    B_Art,
    B_AP,
    B_OS,
    B_DS,
    B_BP,
    B_Com,
    B_Datei,
    B_SNr,
    B_Rec,
    B_Message,
    B_LowerVersion,
    B_SysTime,
    B_SysDate,
    B_DevTime,
    B_DevDate,
    SNrEdit,
    B_DateiHint,
    Caption,
    // Other state.
    ChildStatus, // text and colour
    DSVisible, // Label3 and B_DS
    SNrEnabled, // SetSNrBtn and SNrEdit
    Book, // the page shown
    FunctionGroup, // the group last applied by EnableDisableFunc
    Gauge1, // the progress bar over the status panel: visible, maximum, position
};

inline constexpr std::size_t TextItemCount = static_cast<std::size_t>(TViewItem::Caption) + 1;

// The progress bar of a transfer. Hidden, the status panel's text shows instead.
struct GaugeState {
    bool visible = false;
    int maximum = 0;
    int position = 0;
    friend bool operator==(const GaugeState&, const GaugeState&) = default;
};

enum class TBookPage : std::uint8_t { StatusPage, CmdPage, DataPage, DirectoriesPage, DirPage };

class StationPresentation {
public:
    using Observer = std::function<void(TViewItem)>;

    // Observers live as long as the station; the window adds one when it is built.
    void addObserver(Observer observer) { observers_.push_back(std::move(observer)); }

    // item must be one of the texts (B_Art .. Caption).
    const std::string& text(TViewItem item) const;
    void setText(TViewItem item, const std::string& value);

    const std::string& childStatusText() const { return childStatusText_; }
    TColor childStatusColor() const { return childStatusColor_; }
    void setChildStatus(const std::string& text, TColor color);
    void setChildStatusText(const std::string& text) { setChildStatus(text, childStatusColor_); }

    bool dsVisible() const { return dsVisible_; }
    void setDSVisible(bool visible) { change(dsVisible_, visible, TViewItem::DSVisible); }
    bool snrEnabled() const { return snrEnabled_; }
    void setSNrEnabled(bool enabled) { change(snrEnabled_, enabled, TViewItem::SNrEnabled); }
    TBookPage book() const { return book_; }
    void setBook(TBookPage page) { change(book_, page, TViewItem::Book); }
    const GaugeState& gauge() const { return gauge_; }
    // EnableGauge: a nonzero Wert shows the bar at 0 with Wert as its maximum; 0 hides it.
    void enableGauge(int Wert)
    {
        change(gauge_, Wert != 0 ? GaugeState { true, Wert, 0 } : GaugeState {}, TViewItem::Gauge1);
    }
    void setGaugePosition(int position)
    {
        GaugeState moved = gauge_;
        moved.position = position;
        change(gauge_, moved, TViewItem::Gauge1);
    }
    // 0 until a group has been applied.
    int functionGroup() const { return functionGroup_; }
    // A group is applied again on activation, so observers hear of it even when it is the same.
    void applyFunctionGroup(int group);

private:
    template <class T> void change(T& field, const T& value, TViewItem item)
    {
        if (field == value)
            return;
        field = value;
        notify(item);
    }
    void notify(TViewItem item);

    std::array<std::string, TextItemCount> texts_ {};
    std::string childStatusText_;
    TColor childStatusColor_ = clRed;
    bool dsVisible_ = false;
    bool snrEnabled_ = false;
    TBookPage book_ = TBookPage::StatusPage;
    int functionGroup_ = 0;
    GaugeState gauge_;
    std::vector<Observer> observers_;
};

} // namespace talvix

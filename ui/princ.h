#pragma once

#include "cdia.h"
#include "colour_strip.h"
#include "save_target.h"

#include "kind_caption.h"
#include "load.h"
#include "palette_table.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>

class QAction;
class QLabel;
class QMenu;

namespace corvane::ui {

// The main window: the kind label, the colour strip, and the menus whose
// four commands are everything the program does.
class Princ : public QMainWindow {
public:
    static constexpr int ClientWidth = 530;
    static constexpr int ClientHeight = 75;

    explicit Princ(QWidget* parent = nullptr);

    [[nodiscard]] const PaletteTable& paletteTable() const { return table_; }
    [[nodiscard]] const KindCaption& kindCaption() const { return caption_; }
    [[nodiscard]] QLabel* kindLabel() const { return Label2[0]; }
    [[nodiscard]] ColourStrip* colourStrip() const { return Picture1; }

    // Lets tests make writing fail at any step.
    void setSaveTargetFactory(SaveTargetFactory factory) { saveTargets_ = std::move(factory); }

    // Lets tests watch what surrounds reading a file.
    using PaletteLoader = std::function<LoadResult(const std::filesystem::path&, PaletteTable&, KindCaption&)>;
    void setPaletteLoader(PaletteLoader loader) { loader_ = std::move(loader); }

    // Opens a file named from outside the Open dialog (command line, drop)
    // as if it had been chosen there; one that is not there is said so.
    void openFile(const std::filesystem::path& path);

    void mn_ouvrir_Click();
    void mn_convertir_Click();
    void mn_quiter_Click();
    void mn_propos_Click();

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls(QWidget* client);
    void buildMenus();
    void showKindCaption();
    void load(const std::filesystem::path& path);
    void drawStrip(std::optional<std::int16_t> count);

    PaletteTable table_;
    KindCaption caption_;

    std::array<QLabel*, 2> Label1{};
    std::array<QLabel*, 2> Label2{};
    std::array<QLabel*, 2> Label3{};
    ColourStrip* Picture1 = nullptr;
    ui::CDia CDia{this};

    QMenu* mn_pal = nullptr;
    QAction* mn_ouvrir = nullptr;
    QAction* mn_rien1 = nullptr;
    QAction* mn_convertir = nullptr;
    QAction* mn_rien2 = nullptr;
    QAction* mn_quiter = nullptr;
    QMenu* mn_aide = nullptr;
    QAction* mn_propos = nullptr;

    SaveTargetFactory saveTargets_ = [](const QString& path) { return std::make_unique<SaveFileTarget>(path); };
    PaletteLoader loader_ = loadPaletteFile;
    bool centred_ = false;
};

} // namespace corvane::ui

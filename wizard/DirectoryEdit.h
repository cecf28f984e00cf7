#pragma once
// The install folder field (kind TDirectoryEdit): a single-line text field with a browse
// button at its right end that shows an open-folder picture. A click on the button or
// Alt+Down in the field runs the browse algorithm. The field also keeps an initial
// folder, where the browser starts when the field is empty.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

namespace qel {

class DirectoryEdit {
public:
    static constexpr const char* kClassName = "TDirectoryEdit";
    static constexpr const char* kButtonClassName = "TDirectoryEditButton";

    // Registers the field's and its button's window classes.
    static void RegisterClasses(HINSTANCE instance);

    // Takes over a window of class TDirectoryEdit: adds the browse button, whose width
    // is buttonWidth, showing the first image of folderPicture.
    DirectoryEdit(HWND field, HIMAGELIST folderPicture, int buttonWidth);
    ~DirectoryEdit();
    DirectoryEdit(const DirectoryEdit&) = delete;
    DirectoryEdit& operator=(const DirectoryEdit&) = delete;

    HWND Handle() const { return field_; }
    HWND Button() const { return button_; }
    std::string Text() const;
    void SetText(const std::string& text);
    const std::string& InitialFolder() const { return initialFolder_; }
    void SetInitialFolder(const std::string& folder) { initialFolder_ = folder; }

    // The browse algorithm: start folder, the shell's folder browser, then the field
    // takes the keyboard focus and, on OK, the chosen folder. It runs through the runner
    // when one is set, as the window's handlers do.
    void Browse();
    using Runner = std::function<void(const std::function<void()>&)>;
    void SetRunner(Runner runner) { runner_ = std::move(runner); }

private:
    static LRESULT CALLBACK FieldProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
    void PlaceButton();
    void PaintButton(HDC dc);
    void BrowseNow();

    HWND field_;
    HWND button_ = nullptr;
    HIMAGELIST picture_;
    int buttonWidth_;
    std::string initialFolder_;
    Runner runner_;
    bool pressed_ = false;
    bool tracking_ = false;
};

}  // namespace qel

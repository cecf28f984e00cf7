#pragma once
// The wizard window frmInstala: a fixed-size window holding three pages, the wizard
// state and the handlers of its buttons.
#include <windows.h>

#include <string>

#include "engine/WizardState.h"

namespace qel {

class TdmInstalaQel;

class TfrmInstala {
public:
    static constexpr const char* kClassName = "TfrmInstala";
    static constexpr const char* kCaption = "Quelvara - Instala\xE7\xE3o";
    static constexpr int kClientWidth = 600;
    static constexpr int kClientHeight = 386;

    // Creates the window, hidden; FormCreate runs during the creation.
    explicit TfrmInstala(HINSTANCE instance);
    ~TfrmInstala();
    TfrmInstala(const TfrmInstala&) = delete;
    TfrmInstala& operator=(const TfrmInstala&) = delete;

    // Shows the window centred on the screen.
    void Show();
    HWND Handle() const { return hwnd_; }
    bool Alive() const { return hwnd_ != nullptr; }

    // The data module is created after the window; it is handed over once it exists.
    void SetDataModule(TdmInstalaQel* dm) { dm_ = dm; }

    const WizardState& Estado() const { return estado_; }
    std::string TextoDiredInstala() const;
    std::string PastaInicialDiredInstala() const { return diredInitialDir_; }
    HWND Pagina(int index) const { return pages_[index]; }
    int PaginaVisivel() const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void FormCreate();
    void MostraPagina(int index);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    HWND pgcInstala_ = nullptr;
    HWND pages_[3] = {};  // tbsInicio, tbsDiretorio, tbsInstala
    HWND diredInstala_ = nullptr;
    std::string diredInitialDir_;
    WizardState estado_;
    TdmInstalaQel* dm_ = nullptr;
};

}  // namespace qel

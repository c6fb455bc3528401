#include "appearance/KOVEL_espec.h"

#include "common/BasicRules.h"

#include <set>

namespace KOVEL_espec {

namespace {
constexpr const char* Boto83[] = {"boto_83x23.dat", "boto_83x23_on.dat", "boto_83x23_over.dat"};
constexpr const char* Boto105[] = {"boto_105x23.dat", "boto_105x23_on.dat", "boto_105x23_over.dat"};
constexpr const char* SelFormat[] = {"boto_sel_format.dat", "boto_sel_format_on.dat", "boto_sel_format_over.dat"};
constexpr const char* Orientacio[] = {"boto_orientacio.dat", "boto_orientacio_on.dat", "boto_orientacio_over.dat"};

Pell B(const char* c, int i, const char* const (&f)[3]) { return Pell{c, i, f[0], f[1], f[2]}; }
Pell B(const char* c, int i, const char* n, const char* a, const char* s) { return Pell{c, i, n, a, s}; }
Pell W(Pell p)
{
    p.nomesWord = true;
    return p;
}
} // namespace

const std::vector<Pell>& PellsAssistent()
{
    static const std::vector<Pell> v = [] {
        std::vector<Pell> t;
        for (const auto& [img, fitxer] : {std::pair{"ImgDinA4", "DinA4.dat"}, std::pair{"ImgDinA5", "DinA5.dat"},
                                          std::pair{"ImgLetter", "Letter.dat"}, std::pair{"ImgTermic", "Termic.dat"},
                                          std::pair{"ImgContinuo", "Continuo.dat"}})
            t.push_back(Pell{img, -1, fitxer, nullptr, nullptr});
        Pell ajuda = B("cmd_ayuda", -1, "ajuda.dat", "ajuda_on.dat", "ajuda_on.dat");
        ajuda.ample = ajuda.alt = 210;
        ajuda.visible = 1;
        t.push_back(ajuda);
        t.push_back(Pell{"lbl_ayuda", -1, nullptr, nullptr, nullptr, false, -1, -1, -1, 1});
        Pell email = B("cmd_email", -1, "email.dat", "email_on.dat", "email_on.dat");
        email.ample = email.alt = 210;
        email.visible = 1;
        t.push_back(email);
        t.push_back(Pell{"lbl_email", -1, nullptr, nullptr, nullptr, false, -1, -1, -1, 1});
        t.push_back(Pell{"img_final1", -1, nullptr, nullptr, nullptr, false, -1, -1, -1, 0});
        t.push_back(B("cmdObrir", -1, SelFormat));
        t.push_back(B("cmdCrear", -1, SelFormat));
        t.push_back(B("optDinA5", -1, SelFormat));
        for (int i = 0; i < 3; ++i)
            t.push_back(B("optOrden", i, Boto83));
        t.push_back(B("btn_no_buscar", -1, Boto105));
        t.push_back(B("cmd_tipo_informacion", -1, Boto105));
        t.push_back(B("btn_buscar", -1, Boto83));
        t.push_back(B("btn_buscar_ref", -1, Boto83));
        for (const char* o : {"opt_Vertical", "opt_Horizontal"}) {
            Pell p = B(o, -1, Orientacio);
            p.ample = 1395;
            t.push_back(p);
        }
        t.push_back(B("cmdOtraUcacion", -1, Boto83));
        for (const char* o : {"optContinuo", "optDinA4", "optDinA5", "optLetter", "optTermic"})
            t.push_back(B(o, -1, SelFormat));
        for (const char* c : {"CmdCampos", "CmdEditarDatos", "cmdAbrirLista"})
            t.push_back(B(c, -1, Boto105));
        t.push_back(B("cmdPresentacion", -1, "boto_150x23.dat", "boto_150x23_on.dat", "boto_150x23_over.dat"));
        Pell ant = B("CmdAnterior", -1, "anterior.dat", "anterior_on.dat", "anterior_on.dat");
        ant.ample = ant.alt = 210;
        t.push_back(ant);
        Pell seg = B("CmdSiguiente", -1, "avanzar.dat", "avanzar_on.dat", "avanzar_on.dat");
        seg.ample = seg.alt = 210;
        t.push_back(seg);
        t.push_back(Pell{"cmdCancelar", -1, nullptr, nullptr, nullptr, false, -1, -1, -1, 0});
        t.push_back(B("OpcEtiqpag", 0, "diferente_of.dat", "diferente_on.dat", "diferente_over.dat"));
        t.push_back(B("OpcEtiqpag", 1, "igual_of.dat", "igual_on.dat", "igual_over.dat"));
        t.push_back(W(B("opcOrigDatos", 0, "diferente_of.dat", "diferente_on.dat", "diferente_over.dat")));
        t.push_back(W(B("opcOrigDatos", 1, "igual_of.dat", "igual_on.dat", "igual_over.dat")));
        // The browse and new options wear their two files the other way round, with no hover.
        t.push_back(W(B("opcOrigDatos", 2, "explorar_on.dat", "explorar_of.dat", nullptr)));
        t.push_back(W(B("opcOrigDatos", 3, "nuevo_on.dat", "nuevo_of.dat", nullptr)));
        t.push_back(B("CmdPasa", 0, "boto_fi_right.dat", "boto_fi_right_on.dat", "boto_fi_right_over.dat"));
        t.push_back(B("CmdPasa", 1, "boto_right.dat", "boto_right_on.dat", "boto_right_over.dat"));
        t.push_back(B("CmdPasa", 2, "boto_left.dat", "boto_left_on.dat", "boto_left_over.dat"));
        t.push_back(B("CmdPasa", 3, "boto_fi_left.dat", "boto_fi_left_on.dat", "boto_fi_left_over.dat"));
        Pell banda{"banda", -1, "banda.dat", nullptr, nullptr};
        banda.dalt = 760;
        t.push_back(banda);
        t.push_back(B("cmdGuardar", -1, "guardar_of.dat", "guardar_on.dat", "guardar_over.dat"));
        t.push_back(W(B("cmdHoja", 0, "todo_izquierda_of.dat", "todo_izquierda_on.dat", "todo_izquierda_over.dat")));
        t.push_back(W(B("cmdHoja", 1, "izquierda_of.dat", "izquierda_on.dat", "izquierda_over.dat")));
        t.push_back(W(B("cmdHoja", 2, "derecha_of.dat", "derecha_on.dat", "derecha_over.dat")));
        t.push_back(W(B("cmdHoja", 3, "todo_derecha_of.dat", "todo_derecha_on.dat", "todo_derecha_over.dat")));
        return t;
    }();
    return v;
}

const std::vector<Pell>& PellsMissatge()
{
    static const std::vector<Pell> v{
        Pell{"", -1, "fons_rvtMsgBox_357x120.dat", nullptr, nullptr},
        B("cmdAceptar", -1, Boto83),
        B("cmdCancel", -1, "cancelar.dat", "cancelar_on.dat", nullptr),
        B("cmdSi", -1, "botons_48x23.dat", "botons_48x23_on.dat", "botons_48x23_over.dat"),
        B("cmdNo", -1, "botons_48x23.dat", "botons_48x23_on.dat", "botons_48x23_over.dat"),
        Pell{"img_Critical", -1, "critical.dat", nullptr, nullptr},
        Pell{"img_Exclamation", -1, "exclamat.dat", nullptr, nullptr},
        Pell{"img_Information", -1, "informat.dat", nullptr, nullptr},
        Pell{"img_Question", -1, "question.dat", nullptr, nullptr},
    };
    return v;
}

const std::vector<Pell>& PellsOpcions()
{
    static const std::vector<Pell> v{
        Pell{"", -1, "fons_detalles_416x220.dat", nullptr, nullptr},
        Pell{"pctBanda", -1, "banda.dat", nullptr, nullptr},
        B("lblTab", 0, Boto83),
        B("lblTab", 1, Boto83),
        B("cmd_mov", 0, "todo_izquierda_of.dat", "todo_izquierda_on.dat", "todo_izquierda_over.dat"),
        B("cmd_mov", 1, "izquierda_of.dat", "izquierda_on.dat", "izquierda_over.dat"),
        B("cmd_mov", 2, "derecha_of.dat", "derecha_on.dat", "derecha_over.dat"),
        B("cmd_mov", 3, "todo_derecha_of.dat", "todo_derecha_on.dat", "todo_derecha_over.dat"),
        Pell{"cmdOK", -1, nullptr, nullptr, nullptr, false, -1, -1, -1, 0},
        Pell{"pctBanda", -1, nullptr, nullptr, nullptr, false, -1, -1, -1, 0},
    };
    return v;
}

std::vector<QString> FitxersPells()
{
    std::set<QString> noms;
    for (const auto* taula : {&PellsAssistent(), &PellsMissatge(), &PellsOpcions()})
        for (const Pell& p : *taula)
            for (const char* f : {p.normal, p.actiu, p.sobre})
                if (f)
                    noms.insert(QString::fromLatin1(f));
    for (const char* f : {"FONSHOME.DAT", "FONSEGONA_BAIX.DAT", "FONSEGONA_DALT.DAT", "FONSEGONA_DALT2.DAT",
                          "fons_dreta.dat", "fonsfinal_comu.dat", "inicio.dat"})
        noms.insert(QString::fromLatin1(f));
    return {noms.begin(), noms.end()};
}

std::vector<Estil> EstilsFormulari(kovel::HostOffice host)
{
    std::vector<Estil> v;
    const auto blancVerdana = [&](const char* c, int a = -1, int b = -1) {
        Estil e{.control = c, .primer = a, .darrer = b};
        e.verdana = true;
        e.textBlanc = true;
        v.push_back(e);
        return &v.back();
    };
    const auto verdana = [&](const char* c, int a = -1, int b = -1) {
        Estil e{.control = c, .primer = a, .darrer = b};
        e.verdana = true;
        v.push_back(e);
        return &v.back();
    };
    const auto amaga = [&](const char* c) {
        Estil e{.control = c};
        e.visible = false;
        v.push_back(e);
    };
    Estil* e = blancVerdana("lbl_ayuda");
    e->negreta = true, e->esquerraPx = 710, e->daltPx = 3;
    e = blancVerdana("lbl_email");
    e->negreta = true, e->esquerraPx = 599, e->daltPx = 3, e->alineacio = 1;
    for (const char* c : {"lblDescrDinA4", "lblDescrDinA5", "lblDescrLetter", "lblDescrContinuo", "lblDescrTermic",
                          "LblProgreso", "lblProgresoHojas", "lblProgresoTablas"})
        blancVerdana(c);
    for (const char* c : {"optDinA4", "optDinA5", "optLetter", "optContinuo", "optTermic"})
        verdana(c);
    e = blancVerdana("lblTit", 0, 7);
    e->esquerraPx = 122, e->alineacio = 0;
    v.push_back(Estil{.control = "cmd_ayuda", .esquerraPx = 692, .daltPx = 2});
    e = verdana("cmd_email");
    e->esquerraPx = 667, e->daltPx = 2;
    v.push_back(Estil{.control = "CmdSiguiente", .esquerraPx = 749, .daltPx = 4});
    e = verdana("lblSiguiente");
    e->negreta = true, e->esquerraPx = 744, e->ancoraDretaPx = true, e->daltPx = 4, e->alineacio = 1;
    amaga("cmdCancelar");
    amaga("lblCancelar");
    v.push_back(Estil{.control = "CmdAnterior", .esquerraPx = 387, .daltPx = 4});
    e = verdana("lblAnterior");
    e->negreta = true, e->esquerraPx = 408, e->daltPx = 4, e->alineacio = 0;
    for (const char* c : {"opt_Vertical", "opt_Horizontal"}) {
        e = verdana(c);
        e->negreta = true, e->colorsBoto = true, e->colorSobre = true;
    }
    amaga("img_web");
    amaga("Img_fons_Panel3");

    const auto mostra = [](Estil* e) { e->visible = true; };
    switch (host) {
    case kovel::HostOffice::Word:
        blancVerdana("fra_metodo");
        blancVerdana("Label_opcDatos", 0, 3);
        verdana("LblPresentacion");
        blancVerdana("LblProgreso");
        break;
    case kovel::HostOffice::Excel:
        mostra(blancVerdana("fra_hojas"));
        blancVerdana("lblEtiqpag", 0, 1);
        e = verdana("LblColumnas", 0, 0);
        e->negreta = true, e->visible = true;
        e = blancVerdana("LblColumnas", 1, 1);
        e->negreta = true, e->visible = true;
        mostra(verdana("lblFila_inicial"));
        mostra(verdana("lblFila_final"));
        v.push_back(Estil{.control = "txtFila_inicial"});
        v.back().visible = true;
        v.push_back(Estil{.control = "txtFila_final"});
        v.back().visible = true;
        verdana("lbl_check_formato");
        break;
    case kovel::HostOffice::Access:
        blancVerdana("fra_tabla");
        blancVerdana("lblEtiqpag", 0, 1);
        mostra(verdana("LblCampos", 0, 0));
        mostra(blancVerdana("LblCampos", 1, 1));
        break;
    case kovel::HostOffice::Cap:
        break;
    }

    blancVerdana("LblDistribucion");
    blancVerdana("LblPresentacion2");
    amaga("btn_buscar");
    blancVerdana("lbl_buscar_ref");
    e = verdana("btn_buscar_ref");
    e->colorsBoto = true, e->visible = true;
    blancVerdana("lbl_filtre_tamany");
    e = verdana("cmd_tipo_informacion");
    e->negreta = true;
    blancVerdana("lbl_filtro_etiq");
    e = verdana("btn_no_buscar");
    e->negreta = true, e->visible = false;
    amaga("banda");
    blancVerdana("fra_Ordenar"); // moved into the label-format panel by the look
    verdana("cboOrdenar");
    e = blancVerdana("lbl_no_filtro_etiq");
    e->visible = false;
    blancVerdana("fra_metodo");
    blancVerdana("Label_opcDatos", 0, 3);
    blancVerdana("fra_hojas");
    blancVerdana("fra_tabla");
    blancVerdana("LblColumnas", 1, 1);
    blancVerdana("LblCampos", 1, 1);
    blancVerdana("lblEtiqpag", 0, 1);
    return v;
}

std::array<std::optional<int>, 5> AlineaOpcionsPaper(const std::array<bool, 5>& visibles)
{
    std::array<std::optional<int>, 5> tops{};
    int n = 0;
    for (bool b : visibles)
        n += b ? 1 : 0;
    if (n == 0)
        return tops; // nothing to stack
    const int pas = int(kovel::basic::RoundHalfEven(3945.0 / n));
    int y = 1760;
    for (std::size_t i = 0; i < visibles.size(); ++i)
        if (visibles[i]) {
            tops[i] = y;
            y += pas;
        }
    return tops;
}

const std::vector<Lloc>& LlocsTitolPanel()
{
    static const std::vector<Lloc> v{{"lblTit", 6, 6200, 1500, 5000, -1}, {"LblPresentacion2", -1, 6200, 2500, 5000, 2000}};
    return v;
}

const std::vector<Lloc>& LlocsPanelDistribucio()
{
    static const std::vector<Lloc> v{
        {"lblTit", 6, 6100, 900, 5100, -1},        {"LblPresentacion2", -1, 6100, 1700, 5100, 1500},
        {"LblDistribucion", -1, 6100, 3000, 5100, -1}, {"OpcEtiqpag", 0, 6100, 2600, -1, -1},
        {"OpcEtiqpag", 1, 6100, 3500, -1, -1},      {"lblEtiqpag", 0, 6850, 2700, 5000, -1},
        {"lblEtiqpag", 1, 6850, 3600, 5000, -1},    {"txtFila_final", -1, 8500, 4800, -1, -1},
        {"lblFila_final", -1, 6500, 4900, -1, -1},  {"txtFila_inicial", -1, 8500, 4400, -1, -1},
        {"lblFila_inicial", -1, 6500, 4500, -1, -1},
    };
    return v;
}

} // namespace KOVEL_espec

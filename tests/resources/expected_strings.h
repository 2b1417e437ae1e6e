// What the compiled string table must hold, written here in UTF-8 source
// and compared as UTF-16: independent of the code-page path the resource
// scripts take through windres.
#pragma once

#include <cstdint>

namespace kd::test {

struct ExpectedString {
  int Id;
  const char16_t* Text;
};

// A few rows of every full block (title, top-level items, the stem, a
// place item, the product name) and every other block's product name.
inline constexpr ExpectedString kExpectedStrings[] = {
    {0, u"HotKey Setup"},
    {1, u"&Setup"},
    {5, u"&Exit"},
    {13, u"Application"},
    {28, u"Center"},
    {44, u"Keydeck Wireless Keyboard"},
    {100, u"熱鍵設定"},
    {101, u"設定(&S)"},
    {105, u"結束(&E)"},
    {113, u"應用程式"},
    {128, u"置中"},
    {143, u"全螢幕"},
    {144, u"Keydeck 無線鍵盤"},
    {201, u"设置(&S)"},
    {212, u"电子邮件"},
    {213, u"应用程序"},
    {228, u"居中"},
    {244, u"Keydeck 无线键盘"},
    {301, u"セットアップ(&S)"},
    {305, u"終了(&E)"},  // 終 and 了 are double-byte in code page 932
    {313, u"アプリケーション"},
    {322, u"表示位置(&L)"},  // 表 ends in byte 0x5C in code page 932
    {343, u"全画面表示"},
    {344, u"Keydeck ワイヤレスキーボード"},
    {401, u"&Configuration"},
    {412, u"Courrier électronique"},
    {426, u"En bas à gauche"},
    {443, u"Plein écran"},
    {444, u"Clavier sans fil Keydeck"},
    {501, u"&Einrichten"},
    {513, u"Anwendung"},
    {542, u"Automatische Wiedergabe"},
    {544, u"Keydeck Funktastatur"},
    {551, u"Der Kanal des Empfängers wird geändert."},
    {556, u"Ein Rechtsklick auf das Symbol öffnet das Einrichtungsmenü."},
    {644, u"Tastiera senza fili Keydeck"},
    {744, u"Teclado inalámbrico Keydeck"},
    {844, u"Keydeck 무선 키보드"},
    {901, u"&Configurar"},
    {904, u"Defi&nições"},
    {913, u"Aplicação"},
    {943, u"Ecrã inteiro"},
    {944, u"Teclado sem fios Keydeck"},
    {1044, u"لوحة مفاتيح Keydeck اللاسلكية"},
    {1144, u"Teclado sem fio Keydeck"},
    {1244, u"Bezdrátová klávesnice Keydeck"},
    {1344, u"Keydeck trådløst tastatur"},
    {1444, u"Keydeck draadloos toetsenbord"},
    {1544, u"Keydeck langaton näppäimistö"},
    {1644, u"Ασύρματο πληκτρολόγιο Keydeck"},
    {1744, u"מקלדת אלחוטית Keydeck"},
    {1844, u"Keydeck vezeték nélküli billentyűzet"},
    {1944, u"Teclado inalámbrico Keydeck"},
    {2044, u"Keydeck trådløst tastatur"},
    {2144, u"Klawiatura bezprzewodowa Keydeck"},
    {2244, u"Беспроводная клавиатура Keydeck"},
    {2344, u"Bezdrôtová klávesnica Keydeck"},
    {2444, u"Keydeck trådlöst tangentbord"},
    {2544, u"Keydeck Kablosuz Klavye"},
    {2644, u"แป้นพิมพ์ไร้สาย Keydeck"},
};

// The string blocks and the language of their resources: each block's
// LANGUAGE is one the language table maps to that block (English for 0).
struct ExpectedBlock {
  int Base;
  uint16_t Language;
  bool Full;  // holds the menu rows, not only the product name
};

inline constexpr ExpectedBlock kExpectedBlocks[] = {
    {0, 0x0409, true},     {100, 0x0404, true},   {200, 0x0804, true},   {300, 0x0411, true},
    {400, 0x040C, true},   {500, 0x0407, true},   {600, 0x0410, false},  {700, 0x040A, false},
    {800, 0x0412, false},  {900, 0x0816, true},   {1000, 0x0401, false}, {1100, 0x0416, false},
    {1200, 0x0405, false}, {1300, 0x0406, false}, {1400, 0x0413, false}, {1500, 0x040B, false},
    {1600, 0x0408, false}, {1700, 0x040D, false}, {1800, 0x040E, false}, {1900, 0x0C0A, false},
    {2000, 0x0414, false}, {2100, 0x0415, false}, {2200, 0x0419, false}, {2300, 0x041B, false},
    {2400, 0x041D, false}, {2500, 0x041F, false}, {2600, 0x041E, false},
};

}  // namespace kd::test

#include "setup_languages.h"

#include <algorithm>

#include "base/ascii.h"

namespace ris::tool {

namespace {

using Texts = std::array<std::string_view, kSetupTextCount>;

// In the order of SetupText: the users page's title and subtitle, its two
// choices (with their access keys), the two messages about administrator
// rights, the finish page's choice, the uninstaller's question, the failure.
constexpr SetupLanguage kLanguages[] = {
    {"English", "English", 1252, Texts{
        "Who uses {title}",
        "Install the screen saver for yourself, or for everyone who uses this computer.",
        "&Only for me (no administrator rights needed)",
        "For &all users of this computer (needs administrator rights)",
        "Installing {title} for all users needs administrator rights.",
        "Installing for all users needs administrator rights: start setup as an administrator, or install only "
        "for yourself.",
        "Open the screen saver settings",
        "Remove your own settings of {title} as well?",
        "{title} could not be installed: a file could not be written."}},
    {"French", "French", 1252, Texts{
        "Qui utilise {title}",
        "Installer l'économiseur d'écran pour vous seul ou pour tous les utilisateurs de cet ordinateur.",
        "&Uniquement pour moi (sans droits d'administrateur)",
        "Pour &tous les utilisateurs de cet ordinateur (droits d'administrateur requis)",
        "L'installation de {title} pour tous les utilisateurs nécessite des droits d'administrateur.",
        "L'installation pour tous les utilisateurs nécessite des droits d'administrateur : lancez l'installation "
        "en tant qu'administrateur, ou installez pour vous seul.",
        "Ouvrir les paramètres de l'économiseur d'écran",
        "Supprimer aussi vos propres paramètres de {title} ?",
        "{title} n'a pas pu être installé : un fichier n'a pas pu être écrit."}},
    {"German", "German", 1252, Texts{
        "Wer {title} verwendet",
        "Installieren Sie den Bildschirmschoner für sich selbst oder für alle Benutzer dieses Computers.",
        "Nur für &mich (keine Administratorrechte nötig)",
        "Für &alle Benutzer dieses Computers (Administratorrechte nötig)",
        "Die Installation von {title} für alle Benutzer erfordert Administratorrechte.",
        "Die Installation für alle Benutzer erfordert Administratorrechte: Starten Sie das Setup als Administrator "
        "oder installieren Sie nur für sich selbst.",
        "Bildschirmschoner-Einstellungen öffnen",
        "Auch Ihre eigenen Einstellungen von {title} entfernen?",
        "{title} konnte nicht installiert werden: Eine Datei konnte nicht geschrieben werden."}},
    {"Spanish", "Spanish", 1252, Texts{
        "Quién usa {title}",
        "Instale el protector de pantalla solo para usted o para todos los usuarios de este equipo.",
        "Solo para &mí (no requiere derechos de administrador)",
        "Para &todos los usuarios de este equipo (requiere derechos de administrador)",
        "Instalar {title} para todos los usuarios requiere derechos de administrador.",
        "Instalar para todos los usuarios requiere derechos de administrador: inicie la instalación como "
        "administrador o instale solo para usted.",
        "Abrir la configuración del protector de pantalla",
        "¿Eliminar también su propia configuración de {title}?",
        "No se pudo instalar {title}: no se pudo escribir un archivo."}},
    {"Italian", "Italian", 1252, Texts{
        "Chi usa {title}",
        "Installa lo screensaver solo per te o per tutti gli utenti di questo computer.",
        "Solo per &me (non servono diritti di amministratore)",
        "Per &tutti gli utenti di questo computer (servono diritti di amministratore)",
        "L'installazione di {title} per tutti gli utenti richiede diritti di amministratore.",
        "L'installazione per tutti gli utenti richiede diritti di amministratore: avvia l'installazione come "
        "amministratore o installa solo per te.",
        "Apri le impostazioni dello screensaver",
        "Rimuovere anche le tue impostazioni di {title}?",
        "Impossibile installare {title}: non è stato possibile scrivere un file."}},
    {"Dutch", "Dutch", 1252, Texts{
        "Wie {title} gebruikt",
        "Installeer de schermbeveiliging voor uzelf of voor iedereen die deze computer gebruikt.",
        "Alleen voor &mij (geen beheerdersrechten nodig)",
        "Voor &alle gebruikers van deze computer (beheerdersrechten nodig)",
        "Voor het installeren van {title} voor alle gebruikers zijn beheerdersrechten nodig.",
        "Voor het installeren voor alle gebruikers zijn beheerdersrechten nodig: start de installatie als "
        "beheerder, of installeer alleen voor uzelf.",
        "Instellingen voor schermbeveiliging openen",
        "Ook uw eigen instellingen van {title} verwijderen?",
        "{title} kon niet worden geïnstalleerd: een bestand kon niet worden geschreven."}},
    {"Portuguese", "Portuguese (Portugal)", 1252, Texts{
        "Quem utiliza {title}",
        "Instale a proteção de ecrã apenas para si ou para todos os utilizadores deste computador.",
        "Apenas para &mim (não requer direitos de administrador)",
        "Para &todos os utilizadores deste computador (requer direitos de administrador)",
        "Instalar {title} para todos os utilizadores requer direitos de administrador.",
        "Instalar para todos os utilizadores requer direitos de administrador: execute a instalação como "
        "administrador ou instale apenas para si.",
        "Abrir as definições da proteção de ecrã",
        "Remover também as suas definições de {title}?",
        "Não foi possível instalar {title}: não foi possível escrever um ficheiro."}},
    {"PortugueseBR", "Portuguese (Brazil)", 1252, Texts{
        "Quem usa {title}",
        "Instale a proteção de tela só para você ou para todos os usuários deste computador.",
        "Somente para &mim (não requer direitos de administrador)",
        "Para &todos os usuários deste computador (requer direitos de administrador)",
        "Instalar {title} para todos os usuários requer direitos de administrador.",
        "Instalar para todos os usuários requer direitos de administrador: execute a instalação como "
        "administrador ou instale somente para você.",
        "Abrir as configurações da proteção de tela",
        "Remover também suas próprias configurações de {title}?",
        "Não foi possível instalar {title}: não foi possível gravar um arquivo."}},
    {"Danish", "Danish", 1252, Texts{
        "Hvem bruger {title}",
        "Installer pauseskærmen kun til dig selv eller til alle, der bruger denne computer.",
        "Kun til &mig (kræver ikke administratorrettigheder)",
        "Til &alle brugere af denne computer (kræver administratorrettigheder)",
        "Installation af {title} til alle brugere kræver administratorrettigheder.",
        "Installation til alle brugere kræver administratorrettigheder: start installationen som administrator, "
        "eller installer kun til dig selv.",
        "Åbn indstillingerne for pauseskærm",
        "Vil du også fjerne dine egne indstillinger for {title}?",
        "{title} kunne ikke installeres: en fil kunne ikke skrives."}},
    {"Swedish", "Swedish", 1252, Texts{
        "Vem använder {title}",
        "Installera skärmsläckaren bara för dig själv eller för alla som använder den här datorn.",
        "Bara för &mig (kräver inte administratörsbehörighet)",
        "För &alla användare av den här datorn (kräver administratörsbehörighet)",
        "Att installera {title} för alla användare kräver administratörsbehörighet.",
        "Att installera för alla användare kräver administratörsbehörighet: starta installationen som "
        "administratör eller installera bara för dig själv.",
        "Öppna inställningarna för skärmsläckare",
        "Vill du ta bort dina egna inställningar för {title} också?",
        "{title} kunde inte installeras: en fil kunde inte skrivas."}},
    {"Norwegian", "Norwegian (Bokmål)", 1252, Texts{
        "Hvem bruker {title}",
        "Installer skjermspareren bare for deg selv eller for alle som bruker denne datamaskinen.",
        "Bare for &meg (krever ikke administratorrettigheter)",
        "For &alle brukere av denne datamaskinen (krever administratorrettigheter)",
        "Installering av {title} for alle brukere krever administratorrettigheter.",
        "Installering for alle brukere krever administratorrettigheter: start installasjonen som administrator, "
        "eller installer bare for deg selv.",
        "Åpne innstillingene for skjermsparer",
        "Vil du også fjerne dine egne innstillinger for {title}?",
        "{title} kunne ikke installeres: en fil kunne ikke skrives."}},
    {"Finnish", "Finnish", 1252, Texts{
        "Kuka käyttää sovellusta {title}",
        "Asenna näytönsäästäjä vain itsellesi tai kaikille tämän tietokoneen käyttäjille.",
        "Vain &minulle (ei vaadi järjestelmänvalvojan oikeuksia)",
        "&Kaikille tämän tietokoneen käyttäjille (vaatii järjestelmänvalvojan oikeudet)",
        "Sovelluksen {title} asentaminen kaikille käyttäjille vaatii järjestelmänvalvojan oikeudet.",
        "Asentaminen kaikille käyttäjille vaatii järjestelmänvalvojan oikeudet: käynnistä asennus "
        "järjestelmänvalvojana tai asenna vain itsellesi.",
        "Avaa näytönsäästäjän asetukset",
        "Poistetaanko myös omat asetuksesi sovellukselle {title}?",
        "Sovellusta {title} ei voitu asentaa: tiedostoa ei voitu kirjoittaa."}},
    {"Polish", "Polish", 1250, Texts{
        "Kto używa {title}",
        "Zainstaluj wygaszacz ekranu tylko dla siebie lub dla wszystkich użytkowników tego komputera.",
        "Tylko dla &mnie (bez uprawnień administratora)",
        "Dla &wszystkich użytkowników tego komputera (wymaga uprawnień administratora)",
        "Instalacja {title} dla wszystkich użytkowników wymaga uprawnień administratora.",
        "Instalacja dla wszystkich użytkowników wymaga uprawnień administratora: uruchom instalator jako "
        "administrator lub zainstaluj tylko dla siebie.",
        "Otwórz ustawienia wygaszacza ekranu",
        "Usunąć również Twoje własne ustawienia {title}?",
        "Nie można zainstalować {title}: nie można zapisać pliku."}},
    {"Czech", "Czech", 1250, Texts{
        "Kdo používá {title}",
        "Nainstalujte spořič obrazovky jen pro sebe, nebo pro všechny uživatele tohoto počítače.",
        "Jen pro &mě (nevyžaduje oprávnění správce)",
        "Pro &všechny uživatele tohoto počítače (vyžaduje oprávnění správce)",
        "Instalace {title} pro všechny uživatele vyžaduje oprávnění správce.",
        "Instalace pro všechny uživatele vyžaduje oprávnění správce: spusťte instalaci jako správce, nebo "
        "instalujte jen pro sebe.",
        "Otevřít nastavení spořiče obrazovky",
        "Odebrat také vaše vlastní nastavení {title}?",
        "{title} nelze nainstalovat: soubor nelze zapsat."}},
    {"Slovak", "Slovak", 1250, Texts{
        "Kto používa {title}",
        "Nainštalujte šetrič obrazovky len pre seba alebo pre všetkých používateľov tohto počítača.",
        "Len pre &mňa (nevyžaduje oprávnenia správcu)",
        "Pre &všetkých používateľov tohto počítača (vyžaduje oprávnenia správcu)",
        "Inštalácia {title} pre všetkých používateľov vyžaduje oprávnenia správcu.",
        "Inštalácia pre všetkých používateľov vyžaduje oprávnenia správcu: spustite inštaláciu ako správca alebo "
        "inštalujte len pre seba.",
        "Otvoriť nastavenia šetriča obrazovky",
        "Odstrániť aj vaše vlastné nastavenia {title}?",
        "{title} sa nepodarilo nainštalovať: súbor sa nepodarilo zapísať."}},
    {"Hungarian", "Hungarian", 1250, Texts{
        "Ki használja: {title}",
        "Telepítse a képernyővédőt csak saját magának vagy a számítógép minden felhasználójának.",
        "Csak &nekem (nem kell rendszergazdai jog)",
        "A számítógép &minden felhasználójának (rendszergazdai jog szükséges)",
        "A(z) {title} telepítése minden felhasználó számára rendszergazdai jogot igényel.",
        "A minden felhasználó számára történő telepítés rendszergazdai jogot igényel: indítsa el a telepítőt "
        "rendszergazdaként, vagy telepítse csak saját magának.",
        "A képernyővédő beállításainak megnyitása",
        "A(z) {title} saját beállításait is eltávolítja?",
        "A(z) {title} nem telepíthető: egy fájlt nem sikerült írni."}},
    {"Slovenian", "Slovenian", 1250, Texts{
        "Kdo uporablja {title}",
        "Namestite ohranjevalnik zaslona samo zase ali za vse uporabnike tega računalnika.",
        "Samo za&me (skrbniške pravice niso potrebne)",
        "Za &vse uporabnike tega računalnika (potrebne so skrbniške pravice)",
        "Namestitev {title} za vse uporabnike zahteva skrbniške pravice.",
        "Namestitev za vse uporabnike zahteva skrbniške pravice: zaženite namestitev kot skrbnik ali namestite "
        "samo zase.",
        "Odpri nastavitve ohranjevalnika zaslona",
        "Ali želite odstraniti tudi svoje nastavitve za {title}?",
        "{title} ni bilo mogoče namestiti: datoteke ni bilo mogoče zapisati."}},
    {"Croatian", "Croatian", 1250, Texts{
        "Tko koristi {title}",
        "Instalirajte čuvar zaslona samo za sebe ili za sve korisnike ovog računala.",
        "Samo za &mene (nisu potrebna administratorska prava)",
        "Za &sve korisnike ovog računala (potrebna su administratorska prava)",
        "Instalacija {title} za sve korisnike zahtijeva administratorska prava.",
        "Instalacija za sve korisnike zahtijeva administratorska prava: pokrenite instalaciju kao administrator "
        "ili instalirajte samo za sebe.",
        "Otvori postavke čuvara zaslona",
        "Ukloniti i vaše vlastite postavke za {title}?",
        "{title} nije moguće instalirati: datoteku nije moguće zapisati."}},
    {"Romanian", "Romanian", 1250, Texts{
        "Cine folosește {title}",
        "Instalați protecția de ecran doar pentru dumneavoastră sau pentru toți utilizatorii acestui computer.",
        "Doar pentru &mine (nu necesită drepturi de administrator)",
        "Pentru &toți utilizatorii acestui computer (necesită drepturi de administrator)",
        "Instalarea {title} pentru toți utilizatorii necesită drepturi de administrator.",
        "Instalarea pentru toți utilizatorii necesită drepturi de administrator: porniți instalarea ca "
        "administrator sau instalați doar pentru dumneavoastră.",
        "Deschide setările protecției de ecran",
        "Eliminați și setările proprii ale {title}?",
        "{title} nu a putut fi instalat: un fișier nu a putut fi scris."}},
    {"Russian", "Russian", 1251, Texts{
        "Кто использует {title}",
        "Установите заставку только для себя или для всех пользователей этого компьютера.",
        "Только для &меня (права администратора не нужны)",
        "Для &всех пользователей этого компьютера (нужны права администратора)",
        "Для установки {title} для всех пользователей нужны права администратора.",
        "Для установки для всех пользователей нужны права администратора: запустите установку от имени "
        "администратора или установите только для себя.",
        "Открыть параметры заставки",
        "Удалить также ваши собственные настройки {title}?",
        "Не удалось установить {title}: не удалось записать файл."}},
    {"Ukrainian", "Ukrainian", 1251, Texts{
        "Хто використовує {title}",
        "Встановіть заставку лише для себе або для всіх користувачів цього комп'ютера.",
        "Лише для &мене (права адміністратора не потрібні)",
        "Для &всіх користувачів цього комп'ютера (потрібні права адміністратора)",
        "Для встановлення {title} для всіх користувачів потрібні права адміністратора.",
        "Для встановлення для всіх користувачів потрібні права адміністратора: запустіть встановлення від імені "
        "адміністратора або встановіть лише для себе.",
        "Відкрити параметри заставки",
        "Видалити також ваші власні налаштування {title}?",
        "Не вдалося встановити {title}: не вдалося записати файл."}},
    {"Bulgarian", "Bulgarian", 1251, Texts{
        "Кой използва {title}",
        "Инсталирайте скрийнсейвъра само за себе си или за всички потребители на този компютър.",
        "Само за &мен (не са нужни администраторски права)",
        "За &всички потребители на този компютър (нужни са администраторски права)",
        "Инсталирането на {title} за всички потребители изисква администраторски права.",
        "Инсталирането за всички потребители изисква администраторски права: стартирайте инсталацията като "
        "администратор или инсталирайте само за себе си.",
        "Отваряне на настройките на скрийнсейвъра",
        "Да се премахнат ли и вашите собствени настройки на {title}?",
        "{title} не можа да бъде инсталиран: файл не можа да бъде записан."}},
    {"Greek", "Greek", 1253, Texts{
        "Ποιος χρησιμοποιεί το {title}",
        "Εγκαταστήστε την προφύλαξη οθόνης μόνο για εσάς ή για όλους τους χρήστες αυτού του υπολογιστή.",
        "Μόνο για &μένα (δεν απαιτούνται δικαιώματα διαχειριστή)",
        "Για ό&λους τους χρήστες αυτού του υπολογιστή (απαιτούνται δικαιώματα διαχειριστή)",
        "Η εγκατάσταση του {title} για όλους τους χρήστες απαιτεί δικαιώματα διαχειριστή.",
        "Η εγκατάσταση για όλους τους χρήστες απαιτεί δικαιώματα διαχειριστή: εκκινήστε την εγκατάσταση ως "
        "διαχειριστής ή εγκαταστήστε μόνο για εσάς.",
        "Άνοιγμα των ρυθμίσεων προφύλαξης οθόνης",
        "Να καταργηθούν και οι δικές σας ρυθμίσεις του {title};",
        "Δεν ήταν δυνατή η εγκατάσταση του {title}: δεν ήταν δυνατή η εγγραφή ενός αρχείου."}},
    {"Turkish", "Turkish", 1254, Texts{
        "{title} uygulamasını kim kullanacak",
        "Ekran koruyucuyu yalnızca kendiniz veya bu bilgisayarın tüm kullanıcıları için yükleyin.",
        "Yalnızca &benim için (yönetici hakları gerekmez)",
        "Bu bilgisayarın &tüm kullanıcıları için (yönetici hakları gerekir)",
        "{title} uygulamasını tüm kullanıcılar için yüklemek yönetici hakları gerektirir.",
        "Tüm kullanıcılar için yüklemek yönetici hakları gerektirir: kurulumu yönetici olarak başlatın veya "
        "yalnızca kendiniz için yükleyin.",
        "Ekran koruyucu ayarlarını aç",
        "{title} için kendi ayarlarınız da kaldırılsın mı?",
        "{title} yüklenemedi: bir dosya yazılamadı."}},
    {"Lithuanian", "Lithuanian", 1257, Texts{
        "Kas naudoja {title}",
        "Įdiekite ekrano užsklandą tik sau arba visiems šio kompiuterio naudotojams.",
        "Tik &man (administratoriaus teisių nereikia)",
        "&Visiems šio kompiuterio naudotojams (reikia administratoriaus teisių)",
        "Norint įdiegti {title} visiems naudotojams, reikia administratoriaus teisių.",
        "Norint įdiegti visiems naudotojams, reikia administratoriaus teisių: paleiskite diegimą kaip "
        "administratorius arba įdiekite tik sau.",
        "Atverti ekrano užsklandos parametrus",
        "Ar pašalinti ir jūsų nuosavus {title} parametrus?",
        "Nepavyko įdiegti {title}: nepavyko įrašyti failo."}},
    {"Latvian", "Latvian", 1257, Texts{
        "Kas lieto {title}",
        "Instalējiet ekrānsaudzētāju tikai sev vai visiem šī datora lietotājiem.",
        "Tikai &man (nav vajadzīgas administratora tiesības)",
        "&Visiem šī datora lietotājiem (vajadzīgas administratora tiesības)",
        "Lai instalētu {title} visiem lietotājiem, vajadzīgas administratora tiesības.",
        "Lai instalētu visiem lietotājiem, vajadzīgas administratora tiesības: palaidiet instalēšanu kā "
        "administrators vai instalējiet tikai sev.",
        "Atvērt ekrānsaudzētāja iestatījumus",
        "Vai noņemt arī jūsu pašu {title} iestatījumus?",
        "{title} nevarēja instalēt: nevarēja ierakstīt failu."}},
    {"Estonian", "Estonian", 1257, Texts{
        "Kes kasutab rakendust {title}",
        "Installige ekraanisäästja ainult endale või kõigile selle arvuti kasutajatele.",
        "Ainult &mulle (administraatoriõigusi pole vaja)",
        "&Kõigile selle arvuti kasutajatele (vaja on administraatoriõigusi)",
        "Rakenduse {title} installimiseks kõigile kasutajatele on vaja administraatoriõigusi.",
        "Kõigile kasutajatele installimiseks on vaja administraatoriõigusi: käivitage installimine "
        "administraatorina või installige ainult endale.",
        "Ava ekraanisäästja sätted",
        "Kas eemaldada ka teie enda rakenduse {title} sätted?",
        "Rakendust {title} ei saanud installida: faili ei saanud kirjutada."}},
    // NSIS's translation for the wizard; the setup's own texts in English.
    {"SerbianLatin", "Serbian (Latin)", 1250, {}},
    {"Serbian", "Serbian (Cyrillic)", 1251, {}},
    {"Belarusian", "Belarusian", 1251, {}},
    {"Macedonian", "Macedonian", 1251, {}},
    {"Catalan", "Catalan", 1252, {}},
    {"Japanese", "Japanese", 932, {}},
    {"SimpChinese", "Chinese (Simplified)", 936, {}},
    {"Korean", "Korean", 949, {}},
    {"TradChinese", "Chinese (Traditional)", 950, {}},
    {"Thai", "Thai", 874, {}},
    {"Hebrew", "Hebrew", 1255, {}},
    {"Arabic", "Arabic", 1256, {}},
    {"Vietnamese", "Vietnamese", 1258, {}},
};

}  // namespace

std::string_view SetupLanguage::Text(SetupText text) const {
  const auto index = static_cast<std::size_t>(text);
  return Translated() ? Texts[index] : EnglishSetup().Texts[index];
}

std::span<const SetupLanguage> SetupLanguages() { return kLanguages; }

const SetupLanguage& EnglishSetup() { return kLanguages[0]; }

Result<const SetupLanguage*, std::string> SetupLanguageNamed(std::string_view name) {
  for (const SetupLanguage& language : kLanguages) {
    if (EqualsFolded(language.Name, name) || EqualsFolded(language.Shown, name)) return &language;
  }
  return Failure{"a setup speaks no language named '" + std::string(name) +
                 "': ris installer --languages lists those it speaks"};
}

const SetupLanguage* DefaultSetupLanguage(CodePage code_page) {
  if (code_page == kWesternCodePage) return &EnglishSetup();
  const auto written = [code_page](const SetupLanguage& language) { return language.WrittenIn == code_page; };
  const auto first = std::find_if(std::begin(kLanguages), std::end(kLanguages), written);
  if (first == std::end(kLanguages)) return &EnglishSetup();
  return std::find_if(first + 1, std::end(kLanguages), written) == std::end(kLanguages) ? first : nullptr;
}

std::string LanguagesOfCodePage(CodePage code_page) {
  std::string list;
  for (const SetupLanguage& language : kLanguages) {
    if (language.WrittenIn != code_page) continue;
    list.append(list.empty() ? "" : ", ").append(language.Name);
  }
  return list;
}

std::string LanguageList() {
  std::string list;
  for (const SetupLanguage& language : kLanguages) {
    list.append(language.Name);
    if (language.Shown != language.Name) list.append(" (").append(language.Shown).append(")");
    list.append(", code page ").append(std::to_string(language.WrittenIn));
    if (!language.Translated()) list.append("; the setup's own few texts in English");
    list.append("\n");
  }
  return list;
}

}  // namespace ris::tool

#include "resources/StringTable.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <iterator>
#include <vector>

#include "resources/resource.h"

namespace res {
namespace {

struct Entry {
    uint32_t id;
    const char* text;
};

// Kept sorted by id.
constexpr Entry kEntries[] = {
    {IDS_APP_TITLE, "Hushdesk"},
    {IDS_ERR_OPEN_EN, "Error File Opening ("},
    {IDS_ERR_OPEN_RU, "Ошибка открытия файла ("},
    {IDS_ERR_FORMAT_EN,
     "Wrong file format! Only 8/16 kHz A/mu-Law Wave (8 bit) and PCM Wave (16 bit) formats are "
     "supported."},
    {IDS_ERR_FORMAT_RU,
     "Ошибка открытия файла! Поддерживаются только форматы A/mu-Law Wave (8 бит) и PCM Wave (16 "
     "бит) с частотой дискретизации 8/16 кГц."},
    {IDS_ERR_TEMP_DENIED_EN,
     "Temp file cannot be created, you should have administrator's privileges.  \nTo run the "
     "software with administrator's privileges, close the program,  \nand start it again by "
     "right-mouse clicking on the shortcut \nand selecting _Run As Administrator_ menu command."},
    {IDS_ERR_TEMP_DENIED_RU,
     "Создание временного файла невозможно, нужны права администратора. \nЧтобы запустить "
     "приложение с правами администратора, закройте программу, \nи запустите ее снова, кликнув "
     "на ярлык правой кнопкой мыши \nи выбрав команду _Запустить от имени администратора_."},
    {IDS_ERR_DISK_SPACE_EN, "Not enough free disk space for temporary file creation."},
    {IDS_ERR_DISK_SPACE_RU, "Недостаточно места на диске для создания временного файла."},

    {IDS_CLI_USAGE,
     "Usage: hushdesk-clean [options] INPUT OUTPUT\n"
     "       hushdesk-clean [options] -o DIR INPUT...\n"
     "Try 'hushdesk-clean --help' for more information.\n"},
    {IDS_CLI_USAGE + 1,
     "Использование: hushdesk-clean [параметры] ВХОД ВЫХОД\n"
     "               hushdesk-clean [параметры] -o ПАПКА ВХОД...\n"
     "Подробнее: 'hushdesk-clean --help'.\n"},
    {IDS_CLI_HELP,
     "Usage: hushdesk-clean [options] INPUT OUTPUT\n"
     "       hushdesk-clean [options] -o DIR INPUT...\n"
     "Removes background noise from speech recordings: WAV files, mono or stereo,\n"
     "8000 or 16000 Hz, 16-bit PCM, A-law or mu-law. The cleaned file keeps the\n"
     "input's format; the input is never written.\n"
     "\n"
     "  -o, --output-dir DIR        write each INPUT's cleaned file into DIR, same name\n"
     "  -j, --jobs N                clean N files at once (default: number of cores)\n"
     "      --noise-suppression on|off   noise suppression (default on)\n"
     "      --gain-max-db 0|6|12|18      deepest noise reduction in dB (default 18)\n"
     "      --white-noise on|off         same noise floor at every frequency (default on)\n"
     "      --spectrum on|off            spectrum correction (default off)\n"
     "      --tone on|off                tone noise cleaning (default off)\n"
     "      --buffer-size N              chunk size, 128..1024 in steps of 128 (default 1024)\n"
     "      --passes N                   clean N times over (default 1)\n"
     "      --use-saved-settings         start from the settings saved by Hushdesk;\n"
     "                                   options given here still override them\n"
     "  -f, --force                 replace existing output files\n"
     "  -q, --quiet                 print nothing but errors\n"
     "  -h, --help                  show this help and exit\n"
     "  -V, --version               show the version and exit\n"
     "\n"
     "Exit status: 0 success, 2 usage error, 3 an input was refused, 4 input/output error.\n"},
    {IDS_CLI_HELP + 1,
     "Использование: hushdesk-clean [параметры] ВХОД ВЫХОД\n"
     "               hushdesk-clean [параметры] -o ПАПКА ВХОД...\n"
     "Удаляет фоновый шум из записей речи: файлы WAV, моно или стерео,\n"
     "8000 или 16000 Гц, PCM 16 бит, A-law или mu-law. Очищенный файл сохраняет\n"
     "формат исходного; исходный файл не изменяется.\n"
     "\n"
     "  -o, --output-dir ПАПКА      записать очищенные файлы в ПАПКУ под теми же именами\n"
     "  -j, --jobs N                очищать N файлов одновременно (по умолчанию: число ядер)\n"
     "      --noise-suppression on|off   шумоочистка (по умолчанию on)\n"
     "      --gain-max-db 0|6|12|18      наибольшее подавление шума в дБ (по умолчанию 18)\n"
     "      --white-noise on|off         одинаковый порог на всех частотах (по умолчанию on)\n"
     "      --spectrum on|off            коррекция спектра (по умолчанию off)\n"
     "      --tone on|off                подавление тональных помех (по умолчанию off)\n"
     "      --buffer-size N              объем буфера, 128..1024 с шагом 128 (по умолчанию 1024)\n"
     "      --passes N                   число проходов шумоочистки (по умолчанию 1)\n"
     "      --use-saved-settings         взять настройки, сохраненные программой Hushdesk;\n"
     "                                   параметры командной строки важнее их\n"
     "  -f, --force                 заменять существующие выходные файлы\n"
     "  -q, --quiet                 выводить только ошибки\n"
     "  -h, --help                  показать эту справку\n"
     "  -V, --version               показать версию\n"
     "\n"
     "Код завершения: 0 успех, 2 ошибка в параметрах, 3 входной файл отклонен,\n"
     "4 ошибка ввода-вывода.\n"},
    {IDS_CLI_UNKNOWN_OPTION, "unknown option '%s'"},
    {IDS_CLI_UNKNOWN_OPTION + 1, "неизвестный параметр '%s'"},
    {IDS_CLI_MISSING_VALUE, "option '%s' needs a value"},
    {IDS_CLI_MISSING_VALUE + 1, "параметру '%s' нужно значение"},
    {IDS_CLI_BAD_VALUE, "invalid value '%s' for %s (allowed: %s)"},
    {IDS_CLI_BAD_VALUE + 1, "недопустимое значение '%s' для %s (допустимо: %s)"},
    {IDS_CLI_BAD_OPERANDS, "give INPUT and OUTPUT, or -o DIR and one or more INPUT files"},
    {IDS_CLI_BAD_OPERANDS + 1,
     "укажите ВХОД и ВЫХОД или -o ПАПКА и один или несколько входных файлов"},
    {IDS_CLI_SAME_FILE, "%s: the output is the input file itself; it is never overwritten"},
    {IDS_CLI_SAME_FILE + 1,
     "%s: выходной файл совпадает с входным; входной файл не перезаписывается"},
    {IDS_CLI_OUTPUT_EXISTS, "%s: already exists (use --force to replace it)"},
    {IDS_CLI_OUTPUT_EXISTS + 1, "%s: файл уже существует (--force заменит его)"},
    {IDS_CLI_CANNOT_READ, "%s: cannot read: %s"},
    {IDS_CLI_CANNOT_READ + 1, "%s: ошибка чтения: %s"},
    {IDS_CLI_CANNOT_WRITE, "%s: cannot write: %s"},
    {IDS_CLI_CANNOT_WRITE + 1, "%s: ошибка записи: %s"},
    {IDS_CLI_CLEANED, "%s -> %s"},
    {IDS_CLI_CLEANED + 1, "%s -> %s"},
    {IDS_CLI_INTERRUPTED, "interrupted; no output was left behind"},
    {IDS_CLI_INTERRUPTED + 1, "прервано; незавершенные файлы удалены"},
    {IDS_CLI_CLEANING_FAILED, "%s: cleaning failed (code %d)"},
    {IDS_CLI_CLEANING_FAILED + 1, "%s: ошибка шумоочистки (код %d)"},
    {IDS_CLI_NOT_A_FOLDER, "%s: not a folder"},
    {IDS_CLI_NOT_A_FOLDER + 1, "%s: это не папка"},
    {IDS_CLI_DUPLICATE_OUTPUT, "%s: two inputs would be written to this same output"},
    {IDS_CLI_DUPLICATE_OUTPUT + 1, "%s: два входных файла дали бы один и тот же выходной"},
    {IDS_CLI_OUTPUT_NOT_REGULAR, "%s: exists and is not a regular file; it is never replaced"},
    {IDS_CLI_OUTPUT_NOT_REGULAR + 1,
     "%s: существует и не является обычным файлом; он не заменяется"},
    {IDS_CLI_INPUT_NOT_REGULAR, "%s: not a regular file; only recordings stored in files are read"},
    {IDS_CLI_INPUT_NOT_REGULAR + 1,
     "%s: не обычный файл; читаются только записи, хранящиеся в файлах"},
    {IDS_CLI_TOO_LONG, "%s: too long: its cleaned 16-bit copy would not fit in a WAV file (4 GiB)"},
    {IDS_CLI_TOO_LONG + 1,
     "%s: слишком длинная запись: ее очищенная 16-битная копия не поместится в WAV-файл (4 ГиБ)"},
    {IDS_CLI_INTERRUPTED_KEPT,
     "interrupted; %d finished output(s) were kept, no partial output was left behind"},
    {IDS_CLI_INTERRUPTED_KEPT + 1,
     "прервано; готовые выходные файлы (%d) сохранены, незавершенные удалены"},
    {IDS_CLI_TEMP_FOLDER, "%s: cannot use the temporary folder %s: %s"},
    {IDS_CLI_TEMP_FOLDER + 1, "%s: временная папка %s недоступна: %s"},
    {IDS_CLI_INPUT_CHANGED, "%s: the file changed while it was being read; nothing was written"},
    {IDS_CLI_INPUT_CHANGED + 1, "%s: файл изменился во время чтения; ничего не записано"},
};

}  // namespace

const char* LoadText(uint32_t id) {
    auto it = std::lower_bound(std::begin(kEntries), std::end(kEntries), id,
                               [](const Entry& e, uint32_t key) { return e.id < key; });
    return (it != std::end(kEntries) && it->id == id) ? it->text : "";
}

const char* LoadPair(uint32_t englishId, bool english) {
    return LoadText(english ? englishId : englishId + 1);
}

const char* LoadingErrorText(int kind, bool english) {
    switch (kind) {
        case 1:
            return LoadPair(IDS_ERR_FORMAT_EN, english);
        case 2:
            return LoadPair(IDS_ERR_TEMP_DENIED_EN, english);
        case 3:
            return LoadPair(IDS_ERR_DISK_SPACE_EN, english);
        case 10:
            return LoadPair(IDS_ERR_OPEN_EN, english);
        default:
            return "";
    }
}

std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (length > 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<size_t>(length));
    }
    va_end(args);
    return text;
}

}  // namespace res

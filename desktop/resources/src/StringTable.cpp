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
    {IDS_OLE_INIT_FAILED,
     "OLE initialization failed.  Make sure that the OLE libraries are the correct version."},
    {IDS_TUNE_CAPTION, "Settings for Noise Cleaning subsystem"},
    {IDS_APP_TITLE, "Hushdesk"},
    {IDS_TUNE_NOISE_CANCEL, "Noise Supression"},
    {IDS_TUNE_WHITE_NOISE, "White Noise Cleaning"},
    {IDS_TUNE_SPECTRUM, "Correction of Spectrum"},
    {IDS_TUNE_TONE, "Tone Noise Cleaning"},
    {IDS_TUNE_GAIN_MAX, "Gain Max (dB)"},
    {IDS_TUNE_BUFF_SIZE, "Size of Buffer"},
    {IDS_TUNE_AFTER_NC, "Action after Noise-Cleaning"},
    {IDS_DISABLE_RECLEANING, "Disable Recleaning"},
    {IDS_ENABLE_RECLEANING, "Enable Recleaning"},
    {IDS_SAVE, "Save"},
    {IDS_CANCEL, "Cancel"},
    {IDS_DOCUMENT_TEMPLATE, "Hushdesk\n\nHushdesk\n\n\nQuellix.Document\nQuellix.Document"},
    {IDS_MENU_FILE, "&File"},
    {IDS_MENU_PLAY, "&Play"},
    {IDS_MENU_NOISE_CLEAN, "&Noise-Clean"},
    {IDS_MENU_VIEW, "&View"},
    {IDS_MENU_HELP, "&Help"},
    {IDS_MENU_OPEN, "&Open...\tCtrl+O"},
    {IDS_MENU_CLOSE, "Clo&se\tCtrt+W"},
    {IDS_MENU_EXIT, "Exi&t\tAlt+F4"},
    {IDS_MENU_PLAY_ITEM, "P&lay"},
    {IDS_MENU_PAUSE, "Pa&use"},
    {IDS_STOP, "Stop"},
    {IDS_PLAY_FROM_CURSOR, "Play from Cursor"},
    {IDS_MENU_SETTINGS, "Noise Cleaning Se&ttings...\tCtrl+T"},
    {IDS_MENU_PERFORM, "Perform Noise Cl&eaning\tCtrl+E"},
    {IDS_MENU_TOOLBAR, "Toolbar"},
    {IDS_MENU_STATUS_BAR, "Status Bar"},
    {IDS_MENU_ZOOM_IN, "Scale+"},
    {IDS_MENU_ZOOM_OUT, "Scale-"},
    {IDS_MENU_LANGUAGE, "Language of Interface"},
    {IDS_MENU_ABOUT, "&About Hushdesk..."},
    {IDS_ASK_ENGLISH_RU,
     "Выбранный язык (Английский) будет принят после перезагрузки программы. Применить "
     "выбранный язык?"},
    {IDS_ASK_ENGLISH_EN,
     "The selected language (English) will be applied on application restart. Apply the "
     "selected language?"},
    {IDS_ASK_RUSSIAN_RU,
     "Выбранный язык (Русский) будет принят после перезагрузки программы. Применить выбранный "
     "язык?"},
    {IDS_ASK_RUSSIAN_EN,
     "The selected language (Russian) will be applied on application restart. Apply the "
     "selected language?"},
    {IDS_TIP_OPEN, "Open Sound File (*.wav)"},
    {IDS_TIP_OPEN + 1, "Открыть звуковой файл (*.wav)"},
    {IDS_TIP_PLAY, "Play"},
    {IDS_TIP_PLAY + 1, "Воспроизведение"},
    {IDS_TIP_PAUSE, "Pause"},
    {IDS_TIP_PAUSE + 1, "Пауза"},
    {IDS_TIP_PLAY_FROM_CURSOR_RU, "Воспр. от курсора"},
    {IDS_TIP_STOP_RU, "Останов"},
    {IDS_TIP_PERFORM, "Noise Cleaning in the current sound file"},
    {IDS_TIP_PERFORM + 1, "Шумоочистка текущего звукового файла"},
    {IDS_PANE_NOISE_CANCEL, "Noise Supression "},
    {IDS_PANE_NOISE_CANCEL + 1, "Шумоочистка "},
    {IDS_PANE_WHITE_NOISE, "White Noise "},
    {IDS_PANE_WHITE_NOISE + 1, "Белый шум "},
    {IDS_TIP_SETTINGS, "Tune settings for Noise Cleaning subsystem"},
    {IDS_TIP_SETTINGS + 1, "Настройка режимов подсистемы шумоочистки"},
    {IDS_TIP_ABOUT, "About the Hushdesk..."},
    {IDS_TIP_ABOUT + 1, "О Программе..."},
    {IDS_PANE_SPECTRUM, "Spectrum Correct"},
    {IDS_PANE_SPECTRUM + 1, "Коррекция спектра "},
    {IDS_PANE_TONE, "Tone Noise Clean "},
    {IDS_PANE_TONE + 1, "Подавл. тональн. помех "},
    {IDS_PANE_GAIN_MAX, "Gain Max (dB) "},
    {IDS_PANE_GAIN_MAX + 1, "Подавл. шума дБ "},
    {IDS_PANE_BUFF_SIZE, "Size of Buffer "},
    {IDS_PANE_BUFF_SIZE + 1, "Объем буфера "},
    {IDS_PANE_PASSES, "Noise-Clean Passed: "},
    {IDS_PANE_PASSES + 1, "Проходов шумоочистки: "},
    {IDS_PANE_RECLEANING_DISABLED_RU, "Повторная шумоочистка ЗАПР."},
    {IDS_PANE_RECLEANING_ENABLED_RU, "Повторная шумоочистка РАЗР."},
    {IDS_CAPTION_CLEANING, "Current File - Noise Cleaning"},
    {IDS_CAPTION_CLEANING + 1, "Шумоочистка текущего файла"},
    {IDS_CAPTION_LOADING, "New File Loading"},
    {IDS_CAPTION_LOADING + 1, "Загрузка нового файла"},
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
     "       hushdesk-clean [options] -o DIR --files-from FILE\n"
     "Try 'hushdesk-clean --help' for more information.\n"},
    {IDS_CLI_USAGE + 1,
     "Использование: hushdesk-clean [параметры] ВХОД ВЫХОД\n"
     "               hushdesk-clean [параметры] -o ПАПКА ВХОД...\n"
     "               hushdesk-clean [параметры] -o ПАПКА --files-from ФАЙЛ\n"
     "Подробнее: 'hushdesk-clean --help'.\n"},
    {IDS_CLI_HELP,
     "Usage: hushdesk-clean [options] INPUT OUTPUT\n"
     "       hushdesk-clean [options] -o DIR INPUT...\n"
     "       hushdesk-clean [options] -o DIR --files-from FILE\n"
     "Removes background noise from speech recordings: WAV, WAVEX, W64, AIFF, FLAC,\n"
     "Ogg Vorbis, Opus and MP3 files (PCM 8 to 32 bits, float, A-law, mu-law), at\n"
     "8000 to 192000 Hz, with any number of channels, each cleaned on its own.\n"
     "The cleaned file keeps the input's format, rate and channels unless --format\n"
     "says otherwise; the input is never written.\n"
     "\n"
     "  -o, --output-dir DIR        write each INPUT's cleaned file into DIR, same name\n"
     "      --format wav16|wav|flac|ogg|opus|mp3   write this format instead: 16-bit\n"
     "                                   WAV, WAV or FLAC keeping the input's resolution\n"
     "                                   where they can, Ogg Vorbis, Opus, MP3; with -o\n"
     "                                   the file name takes the format's extension\n"
     "  -j, --jobs N                clean N files at once (default: number of cores)\n"
     "      --noise-suppression on|off   noise suppression (default on)\n"
     "      --gain-max-db 0|6|12|18      deepest noise reduction in dB (default 18)\n"
     "      --white-noise on|off         same noise floor at every frequency (default on)\n"
     "      --spectrum on|off            spectrum correction (default off)\n"
     "      --tone on|off                tone noise cleaning (default off)\n"
     "      --estimator average|speech   noise estimate: the running average of\n"
     "                                   every frame, or the speech mode, which keeps\n"
     "                                   speech out of the estimate and keeps the\n"
     "                                   voice at its level (default average)\n"
     "      --buffer-size N              chunk size, 128..1024 in steps of 128 (default 1024)\n"
     "      --passes N                   clean N times over (default 1)\n"
     "      --use-saved-settings         start from the settings saved by Hushdesk;\n"
     "                                   options given here still override them\n"
     "      --files-from FILE       read the INPUT files from FILE (- for standard input),\n"
     "                              one per line\n"
     "  -0, --null                  names in the list end with NUL, not a line feed\n"
     "      --keep-tree             keep each input's folder under DIR\n"
     "      --shard K/N             clean only the entries K, K+N, K+2N... of the inputs\n"
     "      --skip-existing         skip an input whose output exists\n"
     "      --report FILE           write one JSON line per input to FILE (- for\n"
     "                              standard output) as each file ends\n"
     "  -f, --force                 replace existing output files\n"
     "  -q, --quiet                 print nothing but errors\n"
     "  -h, --help                  show this help and exit\n"
     "  -V, --version               show the version and exit\n"
     "\n"
     "Exit status: 0 success, 2 usage error, 3 an input was refused, 4 input/output error.\n"},
    {IDS_CLI_HELP + 1,
     "Использование: hushdesk-clean [параметры] ВХОД ВЫХОД\n"
     "               hushdesk-clean [параметры] -o ПАПКА ВХОД...\n"
     "               hushdesk-clean [параметры] -o ПАПКА --files-from ФАЙЛ\n"
     "Удаляет фоновый шум из записей речи: файлы WAV, WAVEX, W64, AIFF, FLAC,\n"
     "Ogg Vorbis, Opus и MP3 (PCM от 8 до 32 бит, float, A-law, mu-law), с частотой\n"
     "от 8000 до 192000 Гц и любым числом каналов, каждый очищается отдельно.\n"
     "Очищенный файл сохраняет формат, частоту и каналы исходного, если --format\n"
     "не задает иное; исходный файл не изменяется.\n"
     "\n"
     "  -o, --output-dir ПАПКА      записать очищенные файлы в ПАПКУ под теми же именами\n"
     "      --format wav16|wav|flac|ogg|opus|mp3   записать в этом формате: WAV 16 бит,\n"
     "                                   WAV или FLAC с разрядностью исходного, где\n"
     "                                   возможно, Ogg Vorbis, Opus, MP3; с -o имя\n"
     "                                   файла получает расширение формата\n"
     "  -j, --jobs N                очищать N файлов одновременно (по умолчанию: число ядер)\n"
     "      --noise-suppression on|off   шумоочистка (по умолчанию on)\n"
     "      --gain-max-db 0|6|12|18      наибольшее подавление шума в дБ (по умолчанию 18)\n"
     "      --white-noise on|off         одинаковый порог на всех частотах (по умолчанию on)\n"
     "      --spectrum on|off            коррекция спектра (по умолчанию off)\n"
     "      --tone on|off                подавление тональных помех (по умолчанию off)\n"
     "      --estimator average|speech   оценка шума: скользящее среднее всех\n"
     "                                   кадров или режим речи: оценка без речи,\n"
     "                                   голос сохраняет громкость (по умолчанию average)\n"
     "      --buffer-size N              объем буфера, 128..1024 с шагом 128 (по умолчанию 1024)\n"
     "      --passes N                   число проходов шумоочистки (по умолчанию 1)\n"
     "      --use-saved-settings         взять настройки, сохраненные программой Hushdesk;\n"
     "                                   параметры командной строки важнее их\n"
     "      --files-from ФАЙЛ       взять входные файлы из ФАЙЛА (- стандартный ввод),\n"
     "                              по одному в строке\n"
     "  -0, --null                  имена в списке разделены символом NUL, а не переводом строки\n"
     "      --keep-tree             сохранить папку каждого входного файла внутри ПАПКИ\n"
     "      --shard K/N             очищать только элементы K, K+N, K+2N... списка\n"
     "      --skip-existing         пропускать входной файл, если выходной уже существует\n"
     "      --report ФАЙЛ           записывать в ФАЙЛ (- стандартный вывод) строку JSON\n"
     "                              о каждом входном файле по его завершении\n"
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
    {IDS_CLI_UNREADABLE, "%s: not a recording that can be read (%s)"},
    {IDS_CLI_UNREADABLE + 1, "%s: это не звукозапись, которую можно прочитать (%s)"},
    {IDS_CLI_RATE, "%s: sampling rate %d Hz; recordings from 8000 to 192000 Hz are cleaned"},
    {IDS_CLI_RATE + 1,
     "%s: частота дискретизации %d Гц; очищаются записи с частотой от 8000 до 192000 Гц"},
    {IDS_CLI_DAMAGED, "%s: damaged or cut short: it could not be read to the end"},
    {IDS_CLI_DAMAGED + 1, "%s: файл поврежден или обрезан: его не удалось прочитать до конца"},
    {IDS_CLI_CANNOT_ENCODE,
     "%s: its cleaned copy cannot be written in this format at %d Hz with %d channel(s); "
     "choose another with --format"},
    {IDS_CLI_CANNOT_ENCODE + 1,
     "%s: очищенную копию нельзя записать в этом формате с частотой %d Гц и числом каналов %d; "
     "выберите другой формат параметром --format"},
    {IDS_CLI_FILE_OR_DASH, "FILE or -"},
    {IDS_CLI_FILE_OR_DASH + 1, "ФАЙЛ или -"},
    {IDS_CLI_NUL_NEEDS_LIST, "-0 needs --files-from"},
    {IDS_CLI_NUL_NEEDS_LIST + 1, "-0 требует --files-from"},
    {IDS_CLI_NEEDS_OUTPUT_DIR, "%s needs -o DIR"},
    {IDS_CLI_NEEDS_OUTPUT_DIR + 1, "%s требует -o ПАПКА"},
    {IDS_CLI_LIST_AND_OPERANDS, "give INPUT files or --files-from, not both"},
    {IDS_CLI_LIST_AND_OPERANDS + 1, "укажите входные файлы или --files-from, но не то и другое"},
    {IDS_CLI_CONFLICT, "%s and %s cannot be used together"},
    {IDS_CLI_CONFLICT + 1, "%s и %s нельзя использовать вместе"},
    {IDS_CLI_EMPTY_ENTRY, "entry %d of the file list is empty"},
    {IDS_CLI_EMPTY_ENTRY + 1, "элемент %d списка файлов пуст"},
    {IDS_CLI_SKIPPED, "%s: skipped, %s already exists"},
    {IDS_CLI_SKIPPED + 1, "%s: пропущен, %s уже существует"},
    {IDS_CLI_KEEP_TREE_HINT, "--keep-tree keeps each input's folder under DIR"},
    {IDS_CLI_KEEP_TREE_HINT + 1, "--keep-tree сохраняет папку каждого входного файла внутри ПАПКИ"},

    // 4000..4019: document commands, progress dialog, saving.
    {IDS_MENU_SAVE_CLEANED, "Save Cleaned &As..."},
    {IDS_MENU_SAVE_CLEANED + 1, "Сохранить очищенный &как..."},
    {IDS_SAVE_CLEANED_TITLE, "Save Cleaned Recording As"},
    {IDS_SAVE_CLEANED_TITLE + 1, "Сохранить очищенную запись как"},
    {IDS_ASK_SAVE_CLEANED,
     "The cleaned recording has not been saved and will be lost.\nSave it first?"},
    {IDS_ASK_SAVE_CLEANED + 1,
     "Очищенная запись не сохранена и будет потеряна.\nСохранить ее сначала?"},
    {IDS_SAVE_SAME_FILE,
     "The cleaned recording cannot be saved over the file it was opened from.\nPlease choose "
     "another name."},
    {IDS_SAVE_SAME_FILE + 1,
     "Очищенную запись нельзя сохранить поверх файла, из которого она открыта.\nВыберите "
     "другое имя."},
    {IDS_SAVE_FAILED, "The cleaned recording could not be saved to\n%s\n\n%s"},
    {IDS_SAVE_FAILED + 1, "Не удалось сохранить очищенную запись в файл\n%s\n\n%s"},
    {IDS_CLEANING_FAILED,
     "Noise cleaning stopped with an error. The part already cleaned is kept;\nyou can run the "
     "cleaning again."},
    {IDS_CLEANING_FAILED + 1,
     "Шумоочистка прервана из-за ошибки. Уже очищенная часть сохранена;\nшумоочистку можно "
     "запустить снова."},
    {IDS_SAVING, "Saving..."},
    {IDS_SAVING + 1, "Сохранение..."},
    {IDS_ERR_UNREADABLE, "The file cannot be found or cannot be read."},
    {IDS_ERR_UNREADABLE + 1, "Файл не найден или не может быть прочитан."},
    {IDS_REDRAW_FAILED,
     "The waveform of the cleaned recording could not be drawn again (not enough memory).\nThe "
     "cleaned samples are kept; the picture still shows them as before this pass."},
    {IDS_REDRAW_FAILED + 1,
     "Не удалось заново построить осциллограмму очищенной записи (не хватает памяти).\nОчищенные "
     "данные сохранены; на экране они показаны такими, какими были до этого прохода."},
    // 4020..4039: waveform control and playback.
    {IDS_NO_AUDIO_DEVICE,
     "No sound device could be opened, so recordings cannot be played. Everything else works "
     "as usual."},
    {IDS_NO_AUDIO_DEVICE + 1,
     "Не удалось открыть звуковое устройство, поэтому воспроизведение недоступно. Все остальное "
     "работает как обычно."},
    {IDS_PLAYBACK_REFUSED, "Playback stopped: the sound device did not take the recording."},
    {IDS_PLAYBACK_REFUSED + 1,
     "Воспроизведение остановлено: звуковое устройство не приняло запись."},

    {IDS_ON, "ON."},
    {IDS_ON + 1, "ВКЛ."},
    {IDS_OFF, "OFF."},
    {IDS_OFF + 1, "ОТКЛ."},
    {IDS_FILE_INFO,
     "File Name:     %s\r\nSampling Rate: %u \r\nDuration:      %s min\r\nChannels:      %u%s"},
    {IDS_FILE_INFO + 1,
     "Имя файла:             %s\r\nЧастота дискретизации: %u Гц\r\nДлительность:          %s "
     "мин\r\nКоличество каналов:    %u%s"},
    {IDS_CHANNELS_STEREO, " - STEREO"},
    {IDS_CHANNELS_MONO, " - MONO"},
    {IDS_OPEN_UNKNOWN_ERROR, "Неизвестная ошибка при открытии документа!"},
    {IDS_PLAYBACK_CLOSE_ERROR, "Ошибка завершения воспроизведения"},
    {IDS_SUMMARY_PROGRESS_FORMAT, "%% %u - %s"},
    {IDS_SUMMARY_PROGRESS, "percent of ready. Preparing graphic of signal for wieving."},
    {IDS_SUMMARY_PROGRESS + 1,
     "процент готовности. Подготовка осциллограммы сигнала к отображению."},
    // GTK file patterns are case-sensitive, hence both spellings of the extension.
    {IDS_OPEN_FILTER, "Sound File(*.wav)|*.wav;*.WAV|All Files(*.*)|*"},
    {IDS_ABOUT_MAKER, "Kestrova"},
    {IDS_ABOUT_COPYRIGHT, "Copyright © Kestrova. All rights reserved."},

    {IDS_RU_MENU_FILE, "&Файл"},
    {IDS_RU_MENU_OPEN, "&Открыть...\tCtrl+O"},
    {IDS_RU_MENU_CLOSE, "&Закрыть\tCtrl+W"},
    {IDS_RU_MENU_EXIT, "Выхо&д\tAlt+F4"},
    {IDS_RU_MENU_PLAY, "&Воспроизведение"},
    {IDS_RU_MENU_PLAY_ITEM, "Воспро&изведение"},
    {IDS_RU_MENU_PAUSE, "&Пауза"},
    {IDS_RU_MENU_STOP, "Ос&танов"},
    {IDS_RU_MENU_PLAY_FROM_CURSOR, "Воспр. от курсора"},
    {IDS_RU_MENU_NOISE_CLEAN, "&Шумоочистка"},
    {IDS_RU_MENU_SETTINGS, "&Настройки подсистемы шумоочистки...\tCtrl+T"},
    {IDS_RU_MENU_PERFORM, "Шумоочистка &текущего файла\tCtrl+E"},
    {IDS_RU_MENU_VIEW, "В&ид"},
    {IDS_RU_MENU_TOOLBAR, "&Панель инструментов"},
    {IDS_RU_MENU_STATUS_BAR, "&Строка состояния"},
    {IDS_RU_MENU_LANGUAGE, "Язык Интерфейса "},
    {IDS_MENU_LANGUAGE_ENGLISH, "Английский (English)"},
    {IDS_MENU_LANGUAGE_RUSSIAN, "Русский (Russian)"},
    {IDS_RU_MENU_ZOOM_IN, "Масштаб +"},
    {IDS_RU_MENU_ZOOM_OUT, "Масштаб -"},
    {IDS_RU_MENU_HELP, "&Помощь"},
    {IDS_RU_MENU_ABOUT, "&О Программе..."},

    {IDS_RU_TUNE_CAPTION, "Настройки подсистемы шумоочистки"},
    {IDS_RU_TUNE_NOISE_CANCEL, "Подавление шума"},
    {IDS_RU_TUNE_GAIN_MAX, "Уровень подавления шума дБ"},
    {IDS_RU_TUNE_WHITE_NOISE, "Подавление белого шума"},
    {IDS_RU_TUNE_SPECTRUM, "Коррекция спектра"},
    {IDS_RU_TUNE_TONE, "Подавление тональных помех"},
    {IDS_RU_TUNE_BUFF_SIZE, "Размер буфера шумоочистки (сэмплы)"},
    {IDS_RU_TUNE_AFTER_NC, "После проведения шумоочистки "},
    {IDS_RU_TUNE_DISABLE_RECLEANING, "Запретить повторную шумоочистку "},
    {IDS_RU_TUNE_ENABLE_RECLEANING, "Разрешить повторную шумоочистку "},
    {IDS_RU_SAVE, "Сохранить"},
    {IDS_RU_CANCEL, "Отмена"},

    {IDS_ABOUT_TITLE, "О Программе - About Hushdesk"},
    {IDS_ABOUT_VERSION_RU, "Версия продукта: "},
    {IDS_ABOUT_DATE_RU, "Дата генерации продукта: "},
    {IDS_ABOUT_VERSION_EN, "Version of Product: "},
    {IDS_ABOUT_DATE_EN, "Date of Product generation: "},
    {IDS_ABOUT_OK, "OK"},

    {IDS_TUNE_SPEECH_MODE, "Keep speech (adaptive noise estimate)"},
    {IDS_TUNE_SPEECH_MODE + 1, "Сохранять речь (адаптивная оценка шума)"},

    {IDS_SETUP_NO_CONFIGURATION,
     "No installation language can be offered: this folder holds no readable configuration file "
     "with a language entry:\n%s"},
    {IDS_SETUP_NO_CONFIGURATION + 1,
     "Нельзя предложить язык установки: в этой папке нет читаемого файла конфигурации с описанием "
     "языка:\n%s"},
    {IDS_SETUP_NO_WORKING_FOLDER, "Can't start '%s': its working folder does not exist:\n%s"},
    {IDS_SETUP_NO_WORKING_FOLDER + 1,
     "Не удаётся запустить '%s': рабочая папка не существует:\n%s"},
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

const char* LoadPair(TextPair pair, bool english) {
    return LoadText(english ? pair.english : pair.russian);
}

std::vector<uint32_t> AllTextIds() {
    std::vector<uint32_t> ids;
    ids.reserve(std::size(kEntries));
    for (const Entry& entry : kEntries) {
        ids.push_back(entry.id);
    }
    return ids;
}

const char* LoadingErrorText(int kind, bool english) {
    switch (kind) {
        case 1:
            return LoadPair(IDS_ERR_FORMAT_EN, english);
        case 2:
            return LoadPair(IDS_ERR_TEMP_DENIED_EN, english);
        case 3:
            return LoadPair(IDS_ERR_DISK_SPACE_EN, english);
        case 4:
            return LoadPair(kTextUnreadable, english);
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

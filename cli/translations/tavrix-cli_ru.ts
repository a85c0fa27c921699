<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>BookTool</name>
    <message>
        <source>the site book: %1</source>
        <translation>журнал объектов: %1</translation>
    </message>
    <message>
        <source>the site book: %1; showing this computer&apos;s book</source>
        <translation>журнал объектов: %1; показан журнал этого компьютера</translation>
    </message>
    <message>
        <source>Revision</source>
        <translation>Запись</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Время</translation>
    </message>
    <message>
        <source>Operator</source>
        <translation>Кто</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>Что</translation>
    </message>
    <message>
        <source>Proved</source>
        <translation>Проверено</translation>
    </message>
    <message>
        <source>Fingerprint</source>
        <translation>Отпечаток</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Порт</translation>
    </message>
    <message>
        <source>Site</source>
        <translation>Объект</translation>
    </message>
    <message>
        <source>yes</source>
        <translation>да</translation>
    </message>
    <message>
        <source>no</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>book sites takes at most one search text</source>
        <translation>book sites принимает не больше одного текста для поиска</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>Contact</source>
        <translation>Контакт</translation>
    </message>
    <message>
        <source>Found by</source>
        <translation>Найдено по</translation>
    </message>
    <message>
        <source> (archived)</source>
        <translation> (в архиве)</translation>
    </message>
    <message>
        <source>book site takes one site name</source>
        <translation>book site принимает одно название объекта</translation>
    </message>
    <message>
        <source>the book has no site named %1</source>
        <translation>в журнале нет объекта с названием %1</translation>
    </message>
    <message>
        <source>Site: %1</source>
        <translation>Объект: %1</translation>
    </message>
    <message>
        <source>Address: %1</source>
        <translation>Адрес: %1</translation>
    </message>
    <message>
        <source>Contact: %1</source>
        <translation>Контакт: %1</translation>
    </message>
    <message>
        <source>Notes: %1</source>
        <translation>Заметки: %1</translation>
    </message>
    <message>
        <source>Controller: %1</source>
        <translation>Контроллер: %1</translation>
    </message>
    <message>
        <source>book add takes one site name: book add NAME [--address A] [--contact C] [--note N]</source>
        <translation>book add принимает одно название объекта: book add НАЗВАНИЕ [--address А] [--contact К] [--note З]</translation>
    </message>
    <message>
        <source>%1 added to the site book</source>
        <translation>%1 добавлен в журнал объектов</translation>
    </message>
    <message>
        <source>book edit takes one site name: book edit NAME [--address A] [--contact C] [--note N]</source>
        <translation>book edit принимает одно название объекта: book edit НАЗВАНИЕ [--address А] [--contact К] [--note З]</translation>
    </message>
    <message>
        <source>book unassigned takes no arguments</source>
        <translation>book unassigned не принимает аргументов</translation>
    </message>
    <message>
        <source>book show takes one revision: a short id, or NAME[/CONTROLLER] for the latest</source>
        <translation>book show принимает одну запись: короткий номер или НАЗВАНИЕ[/КОНТРОЛЛЕР] для последней</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>не удаётся записать %1: %2</translation>
    </message>
    <message>
        <source>book diff takes two revisions: book diff REV REV</source>
        <translation>book diff принимает две записи: book diff ЗАПИСЬ ЗАПИСЬ</translation>
    </message>
    <message>
        <source>No differences.</source>
        <translation>Различий нет.</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Страница</translation>
    </message>
    <message>
        <source>Caption</source>
        <translation>Подпись</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>book assign takes a revision and a site: book assign REV NAME[/CONTROLLER]</source>
        <translation>book assign принимает запись и объект: book assign ЗАПИСЬ НАЗВАНИЕ[/КОНТРОЛЛЕР]</translation>
    </message>
    <message>
        <source>%1 assigned to %2</source>
        <translation>%1 привязана к %2</translation>
    </message>
    <message>
        <source>book export needs -o FILE</source>
        <translation>book export требует -o ФАЙЛ</translation>
    </message>
    <message>
        <source>exported to %1</source>
        <translation>выгружено в %1</translation>
    </message>
    <message>
        <source>book import takes one bundle file</source>
        <translation>book import принимает один файл пакета</translation>
    </message>
    <message>
        <source>%1 revision(s) added, %2 already in the book, %3 site(s) made</source>
        <translation>добавлено записей: %1, уже были в журнале: %2, создано объектов: %3</translation>
    </message>
    <message>
        <source>book sync takes no arguments</source>
        <translation>book sync не принимает аргументов</translation>
    </message>
    <message>
        <source>the shared book: %1; %2 revision(s) still wait</source>
        <translation>общий журнал: %1; записей ждут отправки: %2</translation>
    </message>
    <message>
        <source>%1 revision(s) sent, %2 waiting</source>
        <translation>отправлено записей: %1, ждут отправки: %2</translation>
    </message>
    <message>
        <source>--address, --contact and --note belong to book add and book edit</source>
        <translation>--address, --contact и --note относятся к book add и book edit</translation>
    </message>
    <message>
        <source>-o belongs to book show and book export</source>
        <translation>-o относится к book show и book export</translation>
    </message>
    <message>
        <source>unknown book command &apos;%1&apos;</source>
        <translation>неизвестная команда book &apos;%1&apos;</translation>
    </message>
    <message>
        <source>book %1 takes one site name</source>
        <translation>book %1 принимает одно название объекта</translation>
    </message>
    <message>
        <source>%1 archived: its history stays, book sites --all lists it</source>
        <translation>%1 в архиве: его история сохранена, book sites --all его показывает</translation>
    </message>
    <message>
        <source>%1 taken out of the archive</source>
        <translation>%1 возвращён из архива</translation>
    </message>
    <message>
        <source>book needs a command: sites, site, add, edit, archive, unarchive, unassigned, show, diff, assign, export, import or sync</source>
        <translation>book требует команду: sites, site, add, edit, archive, unarchive, unassigned, show, diff, assign, export, import или sync</translation>
    </message>
    <message>
        <source>--all belongs to ports and book sites</source>
        <translation>--all относится к ports и book sites</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>The file (or folder, for several ports) to write.</source>
        <translation>Файл (или папка, если портов несколько) для записи.</translation>
    </message>
    <message>
        <source>After writing, read back and list every control that differs.</source>
        <translation>После записи прочитать настройки снова и перечислить каждый элемент, который отличается.</translation>
    </message>
    <message>
        <source>Machine-readable results on stdout.</source>
        <translation>Результаты в машиночитаемом виде (JSON) на стандартный вывод.</translation>
    </message>
    <message>
        <source>Seconds to wait for each command&apos;s answer (default 10).</source>
        <translation>Сколько секунд ждать ответа на каждую команду (по умолчанию 10).</translation>
    </message>
    <message>
        <source>Write every command sent and every reply received, for each port, to FILE.</source>
        <translation>Записывать в ФАЙЛ каждую отправленную команду и каждый полученный ответ по каждому порту.</translation>
    </message>
    <message>
        <source>watch: seconds to wait after a port appears (default 1).</source>
        <translation>watch: сколько секунд ждать после появления порта (по умолчанию 1).</translation>
    </message>
    <message>
        <source>watch: only check the template and every row; no port is opened.</source>
        <translation>watch: только проверить шаблон и каждую строку; порты не открываются.</translation>
    </message>
    <message>
        <source>report: phone numbers and keys shown by their last three characters only, the SMS command password not at all.</source>
        <translation>report: у номеров телефонов и ключей видны только три последних знака, пароль SMS-команд не виден вовсе.</translation>
    </message>
    <message>
        <source>report: the customer the sheet is handed to.</source>
        <translation>report: заказчик, которому передаётся лист.</translation>
    </message>
    <message>
        <source>report: who installed the system.</source>
        <translation>report: кто установил систему.</translation>
    </message>
    <message>
        <source>Ports (COMn) and files.</source>
        <translation>Порты (COMn) и файлы.</translation>
    </message>
    <message>
        <source>--timeout takes a number of seconds from 0.1 up, not &apos;%1&apos;</source>
        <translation>--timeout принимает число секунд от 0.1, а не «%1»</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>не задана команда</translation>
    </message>
    <message>
        <source>--verify belongs to write</source>
        <translation>--verify относится к write</translation>
    </message>
    <message>
        <source>--%1 belongs to report</source>
        <translation>--%1 относится к report</translation>
    </message>
    <message>
        <source>--%1 belongs to watch</source>
        <translation>--%1 относится к watch</translation>
    </message>
    <message>
        <source>%1: COM numbers go from %2 to %3</source>
        <translation>%1: номера COM-портов — от %2 до %3</translation>
    </message>
    <message>
        <source>%1 is named twice</source>
        <translation>%1 указан дважды</translation>
    </message>
    <message>
        <source>watch takes one template file and the ports to watch: watch TEMPLATE [COM3...]</source>
        <translation>watch принимает один файл шаблона и порты, за которыми следить: watch ШАБЛОН [COM3...]</translation>
    </message>
    <message>
        <source>--count takes a whole number from 1 up, not &apos;%1&apos;</source>
        <translation>--count принимает целое число от 1, а не «%1»</translation>
    </message>
    <message>
        <source>--settle takes 0 to 3600 seconds, not &apos;%1&apos;</source>
        <translation>--settle принимает от 0 до 3600 секунд, а не «%1»</translation>
    </message>
    <message>
        <source>--trace: %1 cannot be written: %2</source>
        <translation>--trace: не удаётся записать %1: %2</translation>
    </message>
    <message>
        <source>ports takes no arguments</source>
        <translation>ports не принимает аргументов</translation>
    </message>
    <message>
        <source>read takes one or more ports: read COM3 [COM4...] -o FILE|DIR</source>
        <translation>read принимает один или несколько портов: read COM3 [COM4...] -o ФАЙЛ|ПАПКА</translation>
    </message>
    <message>
        <source>read needs -o FILE (or -o DIR for several ports, -o - for stdout)</source>
        <translation>read требует -o ФАЙЛ (или -o ПАПКА для нескольких портов, -o - для стандартного вывода)</translation>
    </message>
    <message>
        <source>write takes one or more ports and one file: write COM3 [COM4...] FILE</source>
        <translation>write принимает один или несколько портов и один файл: write COM3 [COM4...] ФАЙЛ</translation>
    </message>
    <message>
        <source>diff takes two files or ports: diff A B</source>
        <translation>diff принимает два файла или порта: diff А Б</translation>
    </message>
    <message>
        <source>show takes one file or port</source>
        <translation>show принимает один файл или порт</translation>
    </message>
    <message>
        <source>defaults takes no arguments, only -o FILE</source>
        <translation>defaults не принимает аргументов, только -o ФАЙЛ</translation>
    </message>
    <message>
        <source>report takes one file or port: report FILE|COMn -o SHEET.pdf|SHEET.html</source>
        <translation>report принимает один файл или порт: report ФАЙЛ|COMn -o ЛИСТ.pdf|ЛИСТ.html</translation>
    </message>
    <message>
        <source>report needs -o SHEET.pdf or -o SHEET.html</source>
        <translation>report требует -o ЛИСТ.pdf или -o ЛИСТ.html</translation>
    </message>
    <message>
        <source>audit takes a port and a file or sheet: audit COMn FILE|SHEET</source>
        <translation>audit принимает порт и файл или лист: audit COMn ФАЙЛ|ЛИСТ</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>неизвестная команда «%1»</translation>
    </message>
    <message numerus="yes">
        <source>%n control(s)</source>
        <translation>
            <numerusform>%n элемент</numerusform>
            <numerusform>%n элемента</numerusform>
            <numerusform>%n элементов</numerusform>
        </translation>
    </message>
    <message>
        <source>line %1</source>
        <translation>строка %1</translation>
    </message>
    <message>
        <source>the template alone</source>
        <translation>только шаблон</translation>
    </message>
    <message>
        <source>Watching %1; backups in %2</source>
        <translation>Слежу за %1; резервные копии в %2</translation>
    </message>
    <message>
        <source>path</source>
        <translation>путь</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>секунды</translation>
    </message>
    <message>
        <source>file</source>
        <translation>файл</translation>
    </message>
    <message>
        <source>watch: one row of values per controller (CSV).</source>
        <translation>watch: по строке значений на каждый контроллер (CSV).</translation>
    </message>
    <message>
        <source>watch: append one JSON line per controller to FILE.</source>
        <translation>watch: дописывать в ФАЙЛ по строке JSON на каждый контроллер.</translation>
    </message>
    <message>
        <source>watch: the folder for what each controller held before.</source>
        <translation>watch: папка для того, что контроллер хранил прежде.</translation>
    </message>
    <message>
        <source>dir</source>
        <translation>папка</translation>
    </message>
    <message>
        <source>watch: end after N controllers written and verified.</source>
        <translation>watch: закончить, когда N контроллеров записаны и проверены.</translation>
    </message>
    <message>
        <source>command</source>
        <translation>команда</translation>
    </message>
    <message>
        <source>arguments</source>
        <translation>аргументы</translation>
    </message>
    <message>
        <source>[arguments...]</source>
        <translation>[аргументы...]</translation>
    </message>
    <message>
        <source>Stopping after the controllers under way (again to stop at once)</source>
        <translation>Остановка после контроллеров, которые уже в работе (ещё раз — остановить сразу)</translation>
    </message>
    <message>
        <source>text</source>
        <translation>ТЕКСТ</translation>
    </message>
    <message>
        <source>report: the site the sheet&apos;s system stands at; read, write, audit: the site book&apos;s NAME[/CONTROLLER] to record under, or auto.</source>
        <translation>report: объект, на котором стоит система; read, write, audit: НАЗВАНИЕ[/КОНТРОЛЛЕР] в журнале объектов, под которым записать, или auto.</translation>
    </message>
    <message>
        <source>The site book: a file, or postgresql://USER@HOST[:PORT]/DB (default: TAVRIX_BOOK, else the book in the user&apos;s data folder).</source>
        <translation>Журнал объектов: файл или postgresql://ПОЛЬЗОВАТЕЛЬ@ХОСТ[:ПОРТ]/БАЗА (по умолчанию TAVRIX_BOOK, иначе журнал в папке данных пользователя).</translation>
    </message>
    <message>
        <source>url</source>
        <translation>адрес</translation>
    </message>
    <message>
        <source>Who the site book records as having done it (default: the user name).</source>
        <translation>Кто выполнил работу, для журнала объектов (по умолчанию имя пользователя).</translation>
    </message>
    <message>
        <source>name</source>
        <translation>имя</translation>
    </message>
    <message>
        <source>book add, edit: the site&apos;s address.</source>
        <translation>book add, edit: адрес объекта.</translation>
    </message>
    <message>
        <source>book add, edit: the site&apos;s contact.</source>
        <translation>book add, edit: контакт объекта.</translation>
    </message>
    <message>
        <source>book add, edit: notes on the site.</source>
        <translation>book add, edit: заметки об объекте.</translation>
    </message>
    <message>
        <source>-o belongs to read, defaults, report and book</source>
        <translation>-o относится к read, defaults, report и book</translation>
    </message>
    <message>
        <source>--site belongs to report, read, write and audit</source>
        <translation>--site относится к report, read, write и audit</translation>
    </message>
    <message>
        <source>serve: the address and port to listen on (default 127.0.0.1:2217).</source>
        <translation>serve: адрес и порт, на которых принимать подключения (по умолчанию 127.0.0.1:2217).</translation>
    </message>
    <message>
        <source>address:port</source>
        <translation>АДРЕС:ПОРТ</translation>
    </message>
    <message>
        <source>--listen belongs to serve</source>
        <translation>--listen относится к serve</translation>
    </message>
    <message>
        <source>serve takes one COM port: serve COMn [--listen ADDRESS:PORT]</source>
        <translation>serve принимает один COM-порт: serve COMn [--listen АДРЕС:ПОРТ]</translation>
    </message>
    <message>
        <source>--listen takes ADDRESS:PORT with a numeric address (127.0.0.1:2217), not &apos;%1&apos;</source>
        <translation>--listen принимает АДРЕС:ПОРТ с числовым адресом (127.0.0.1:2217), а не «%1»</translation>
    </message>
    <message>
        <source>no such port</source>
        <translation>нет такого порта</translation>
    </message>
    <message>
        <source>Warning: %1 is reachable from other machines, and the link has neither encryption nor authentication: anyone who reaches it can change the controller. Prefer 127.0.0.1 and an SSH tunnel.</source>
        <translation>Внимание: %1 доступен с других компьютеров, а связь не шифруется и не требует входа: любой, кто до него доберётся, может изменить контроллер. Лучше 127.0.0.1 и SSH-туннель.</translation>
    </message>
    <message>
        <source>Serving COM%1 (%2) as rfc2217://%3 until Ctrl+C</source>
        <translation>COM%1 (%2) доступен как rfc2217://%3 до Ctrl+C</translation>
    </message>
    <message>
        <source>the port went away</source>
        <translation>порт пропал</translation>
    </message>
    <message>
        <source>Stopped serving COM%1</source>
        <translation>COM%1 больше не раздаётся</translation>
    </message>
    <message>
        <source>ports, read, write, diff, show, defaults, watch, report, audit, book, selftest or serve</source>
        <translation>ports, read, write, diff, show, defaults, watch, report, audit, book, selftest или serve</translation>
    </message>
    <message>
        <source>--%1 belongs to book add and book edit</source>
        <translation>--%1 относится к book add и book edit</translation>
    </message>
    <message>
        <source>selftest takes no arguments</source>
        <translation>у selftest нет аргументов</translation>
    </message>
    <message>
        <source>Reads, writes and compares the configuration of Tavrix controllers.

Commands:
  ports [--all]                 the COM ports there are, with their devices and states
                                (--all: every COM number, COM1 to COM50)
  read COMn... -o FILE|DIR|-    read controllers into files (several: DIR/COMn.cfg)
  write COMn... FILE [--verify] apply FILE onto what each controller holds and write it
  diff A B                      compare two files or controllers (COMn)
  show FILE|COMn                every control with its page and caption
  defaults [-o FILE]            the factory configuration as a file
  watch TEMPLATE [COMn...]      the production line: every controller that answers gets
        [--units UNITS.csv] [--log LOG.jsonl] [--backups DIR] [--count N] [--settle S]
                                TEMPLATE and its own row, verified and logged; --check
                                only checks TEMPLATE and the rows
  report FILE|COMn -o SHEET.pdf|SHEET.html [--mask]
        [--site TEXT] [--customer TEXT] [--installer TEXT]
                                the configuration sheet (--mask: numbers, keys and
                                passwords hidden); the site, customer and installer
                                head it, blank lines to fill in where not given
  audit COMn FILE|SHEET         whether the controller holds that configuration
  book sites [TEXT] [--all]     the site book: sites found by name, address, contact,
                                notes, subscriber numbers or fingerprints (--all:
                                archived sites too)
  book site NAME                a site&apos;s card, controllers and revisions
  book add|edit NAME [--address A] [--contact C] [--note N]
  book archive|unarchive NAME   a site out of the listings (its history kept), or back
  book unassigned               revisions of controllers no site owns yet
  book show REV [-o FILE]       a revision&apos;s configuration
  book diff REV REV             compare two revisions
  book assign REV NAME[/CONTROLLER]
  book export [NAME...] -o FILE, book import FILE
                                a bundle of sites and revisions for another book
  book sync                     send what waits for the shared book
  selftest                      whether this copy&apos;s files are the ones shipped (and
                                the Qt plugins it loads)
  serve COMn [--listen ADDRESS:PORT]
                                lend the port as an RFC 2217 server, one client at a
                                time (127.0.0.1:2217 unless --listen names another)

read, write and audit record into the site book (--book URL, TAVRIX_BOOK, or
the default file); --site NAME[/CONTROLLER] says whose controller it is, --site auto
takes the one the book recognises. REV is a revision&apos;s short id, or NAME[/CONTROLLER]
for its latest.

Wherever a COM port goes, a network port may: rfc2217://HOST:PORT (Telnet with the
COM port option, set to 9600 8N1) or socket://HOST:PORT (raw TCP, the server&apos;s own
settings). Connecting waits 5 s, or --timeout when given.

--trace FILE writes the exchange with every port (time, direction, bytes, text),
each line headed by its COM number.

Exit status: 0 done and identical, 1 controller or port failure (book: not found;
selftest: files missing or changed), 2 usage, file or book error,
3 differences found (diff, write --verify, audit).

write saves what each controller held first, as a snapshot in the backups folder.

The messages are in Russian when the system&apos;s language is Russian, in English
otherwise (LANGUAGE=en or LANGUAGE=ru chooses).</source>
        <translation>Читает, записывает и сравнивает настройки контроллеров Tavrix.

Команды:
  ports [--all]                 COM-порты, которые есть, с их устройствами и состоянием
                                (--all: все номера, от COM1 до COM50)
  read COMn... -o ФАЙЛ|ПАПКА|-  прочитать контроллеры в файлы (несколько: ПАПКА/COMn.cfg)
  write COMn... ФАЙЛ [--verify] наложить ФАЙЛ на то, что хранит каждый контроллер, и записать
  diff А Б                      сравнить два файла или контроллера (COMn)
  show ФАЙЛ|COMn                каждый элемент с его страницей и подписью
  defaults [-o ФАЙЛ]            заводские настройки в виде файла
  watch ШАБЛОН [COMn...]        линия выпуска: каждый ответивший контроллер получает
        [--units СТРОКИ.csv] [--log ЖУРНАЛ.jsonl] [--backups ПАПКА] [--count N] [--settle С]
                                ШАБЛОН и свою строку, с проверкой и журналом; --check
                                только проверяет ШАБЛОН и строки
  report ФАЙЛ|COMn -o ЛИСТ.pdf|ЛИСТ.html [--mask]
        [--site ТЕКСТ] [--customer ТЕКСТ] [--installer ТЕКСТ]
                                лист конфигурации (--mask: номера, ключи и пароли
                                скрыты); вверху объект, заказчик и установщик,
                                не указанные — строки для записи от руки
  audit COMn ФАЙЛ|ЛИСТ          хранит ли контроллер эти настройки
  book sites [ТЕКСТ] [--all]    журнал объектов: объекты по названию, адресу, контакту,
                                заметкам, номерам абонентов или отпечаткам (--all:
                                и архивные)
  book site НАЗВАНИЕ            карточка объекта, его контроллеры и записи
  book add|edit НАЗВАНИЕ [--address А] [--contact К] [--note З]
  book archive|unarchive НАЗВАНИЕ
                                убрать объект из списков (его история остаётся)
                                или вернуть
  book unassigned               записи контроллеров, ещё не привязанных к объекту
  book show ЗАПИСЬ [-o ФАЙЛ]    настройки из записи
  book diff ЗАПИСЬ ЗАПИСЬ       сравнить две записи
  book assign ЗАПИСЬ НАЗВАНИЕ[/КОНТРОЛЛЕР]
  book export [НАЗВАНИЕ...] -o ФАЙЛ, book import ФАЙЛ
                                пакет объектов и записей для другого журнала
  book sync                     отправить то, что ждёт отправки в общий журнал
  selftest                      те ли файлы у этой копии, что были выпущены (и модули
                                Qt, которые она загружает)
  serve COMn [--listen АДРЕС:ПОРТ]
                                раздать порт как сервер RFC 2217, одному клиенту
                                за раз (127.0.0.1:2217, если --listen не задаёт другой)

read, write и audit записывают в журнал объектов (--book URL, TAVRIX_BOOK или
файл по умолчанию); --site НАЗВАНИЕ[/КОНТРОЛЛЕР] говорит, чей это контроллер,
--site auto берёт тот, который узнал журнал. ЗАПИСЬ — короткий номер записи или
НАЗВАНИЕ[/КОНТРОЛЛЕР] для последней.

Везде, где указывается COM-порт, можно указать сетевой: rfc2217://ХОСТ:ПОРТ (Telnet
с опцией COM-порта, 9600 8N1) или socket://ХОСТ:ПОРТ (простой TCP, настройки сервера).
Подключение ждёт 5 с или столько, сколько задано в --timeout.

--trace ФАЙЛ записывает обмен с каждым портом (время, направление, байты, текст),
каждая строка начинается с номера COM-порта.

Код завершения: 0 выполнено и совпадает, 1 сбой контроллера или порта (book: не найдено;
selftest: файлы отсутствуют или изменены), 2 ошибка в командной строке, в файле или в журнале,
3 найдены различия (diff, write --verify, audit).

write сначала сохраняет то, что хранил каждый контроллер, снимком в папке резервных копий.

Сообщения выводятся по-русски, если язык системы русский, иначе по-английски
(выбрать язык можно переменной LANGUAGE=ru или LANGUAGE=en).</translation>
    </message>
    <message>
        <source>ports: every COM number, also those with nothing behind them; book sites: archived sites too.</source>
        <translation>ports: все номера COM, в том числе те, за которыми ничего нет; book sites: и архивные объекты.</translation>
    </message>
    <message>
        <source>--all belongs to ports and book sites</source>
        <translation>--all относится к ports и book sites</translation>
    </message>
</context>
<context>
    <name>DeviceJob</name>
    <message>
        <source>%1 points to %2, which does not exist</source>
        <translation>%1 указывает на %2, а такого устройства нет</translation>
    </message>
    <message>
        <source>the command could not be sent</source>
        <translation>команду не удалось отправить</translation>
    </message>
    <message>
        <source>READ_SET answer malformed, asking again: %1</source>
        <translation>ответ на READ_SET искажён, запрашиваю снова: %1</translation>
    </message>
    <message>
        <source>the port went away</source>
        <translation>порт пропал</translation>
    </message>
    <message>
        <source>no such port</source>
        <translation>нет такого порта</translation>
    </message>
    <message>
        <source>%1 cannot be opened: %2</source>
        <translation>%1 не открывается: %2</translation>
    </message>
    <message>
        <source>%1 %2/%3 bytes</source>
        <translation>%1 %2/%3 байт</translation>
    </message>
    <message>
        <source>the controller does not answer — check the cable, power and port number (%1)</source>
        <translation>контроллер не отвечает — проверьте кабель, питание и номер порта (%1)</translation>
    </message>
    <message>
        <source>cannot connect: %1</source>
        <translation>не удаётся подключиться: %1</translation>
    </message>
</context>
<context>
    <name>Selftest</name>
    <message>
        <source>tavrix-cli %1, commit %2</source>
        <translation>tavrix-cli %1, сборка %2</translation>
    </message>
    <message>
        <source>The list of shipped files is missing: %1</source>
        <translation>Нет списка выпущенных файлов: %1</translation>
    </message>
    <message>
        <source>Not checked: this copy cannot be told intact.</source>
        <translation>Не проверено: нельзя сказать, цела ли эта копия.</translation>
    </message>
    <message>
        <source>The list of shipped files %1 is damaged: %2</source>
        <translation>Список выпущенных файлов %1 испорчен: %2</translation>
    </message>
    <message numerus="yes">
        <source>%n shipped file(s) checked against %1</source>
        <translation>
            <numerusform>%n выпущенный файл сверен по %1</numerusform>
            <numerusform>%n выпущенных файла сверены по %1</numerusform>
            <numerusform>%n выпущенных файлов сверено по %1</numerusform>
        </translation>
    </message>
    <message>
        <source>missing: %1</source>
        <translation>нет файла: %1</translation>
    </message>
    <message>
        <source>changed: %1</source>
        <translation>изменён: %1</translation>
    </message>
    <message>
        <source>not shipped, yet Qt would load it: %1</source>
        <translation>не из выпуска, но Qt его загрузит: %1</translation>
    </message>
    <message>
        <source>Qt plugins come from the system&apos;s packages in %1</source>
        <translation>модули Qt берутся из пакетов системы в %1</translation>
    </message>
    <message>
        <source>The program&apos;s files are intact.</source>
        <translation>Файлы программы целы.</translation>
    </message>
    <message>
        <source>The program&apos;s files are NOT intact.</source>
        <translation>Файлы программы НЕ целы.</translation>
    </message>
</context>
<context>
    <name>Tool</name>
    <message>
        <source>the snapshot of what the controller holds cannot be saved in %1: %2; nothing written</source>
        <translation>снимок того, что хранит контроллер, не удаётся сохранить в %1: %2; ничего не записано</translation>
    </message>
    <message>
        <source>snapshot of what the controller held: %1</source>
        <translation>снимок того, что хранил контроллер: %1</translation>
    </message>
    <message>
        <source>read</source>
        <translation>прочитан</translation>
    </message>
    <message>
        <source>report needs -o SHEET.pdf or -o SHEET.html</source>
        <translation>report требует -o ЛИСТ.pdf или -o ЛИСТ.html</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>не удаётся записать %1: %2</translation>
    </message>
    <message>
        <source>Sheet %1 written, fingerprint %2.</source>
        <translation>Лист %1 записан, отпечаток %2.</translation>
    </message>
    <message>
        <source>a PDF or HTML file without a configuration sheet&apos;s fingerprint</source>
        <translation>файл PDF или HTML без отпечатка листа конфигурации</translation>
    </message>
    <message>
        <source>%1 matches %2 (fingerprint %3)</source>
        <translation>%1 совпадает с %2 (отпечаток %3)</translation>
    </message>
    <message>
        <source>%1 does not match %2: the controller&apos;s fingerprint is %3, the sheet&apos;s %4</source>
        <translation>%1 не совпадает с %2: отпечаток контроллера %3, листа — %4</translation>
    </message>
    <message>
        <source>%1 does not match %2: the controller&apos;s fingerprint is %3, the file&apos;s %4</source>
        <translation>%1 не совпадает с %2: отпечаток контроллера %3, файла — %4</translation>
    </message>
    <message>
        <source>%1 does not match %2:</source>
        <translation>%1 не совпадает с %2:</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 с</translation>
    </message>
    <message>
        <source>; nothing saved</source>
        <translation>; ничего не сохранено</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Страница</translation>
    </message>
    <message>
        <source>Caption</source>
        <translation>Подпись</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Имя</translation>
    </message>
    <message>
        <source>Offset</source>
        <translation>Смещение</translation>
    </message>
    <message>
        <source>Written</source>
        <translation>Записано</translation>
    </message>
    <message>
        <source>Read back</source>
        <translation>Прочитано</translation>
    </message>
    <message>
        <source> (padding)</source>
        <translation> (заполнитель)</translation>
    </message>
    <message>
        <source>No COM port on this machine (ports --all lists every number with why).</source>
        <translation>На этом компьютере нет COM-портов (ports --all покажет каждый номер с причиной).</translation>
    </message>
    <message>
        <source>read needs -o FILE (or -o DIR for several ports, -o - for stdout)</source>
        <translation>read требует -o ФАЙЛ (или -o ПАПКА для нескольких портов, -o - для стандартного вывода)</translation>
    </message>
    <message>
        <source>-o - takes one port; give a folder for several</source>
        <translation>-o - принимает один порт; для нескольких укажите папку</translation>
    </message>
    <message>
        <source>cannot make the folder %1</source>
        <translation>не удаётся создать папку %1</translation>
    </message>
    <message>
        <source>read, saved to %1</source>
        <translation>прочитан, сохранён в %1</translation>
    </message>
    <message>
        <source>read, but %1 cannot be written: %2</source>
        <translation>прочитан, но не удаётся записать %1: %2</translation>
    </message>
    <message>
        <source>; nothing written</source>
        <translation>; ничего не записано</translation>
    </message>
    <message>
        <source>written and verified</source>
        <translation>записан и проверен</translation>
    </message>
    <message>
        <source>written, but %1 byte(s) in %2 place(s) read back differently</source>
        <translation>записан, но при чтении отличаются байты: %1, мест: %2</translation>
    </message>
    <message>
        <source>the page rules change %1</source>
        <translation>правила страниц меняют %1</translation>
    </message>
    <message>
        <source>the record stores %1</source>
        <translation>запись хранит %1</translation>
    </message>
    <message>
        <source>the record to write would read as malformed: %1; nothing written</source>
        <translation>такая запись читалась бы как искажённая: %1; ничего не записано</translation>
    </message>
    <message>
        <source>written</source>
        <translation>записан</translation>
    </message>
    <message>
        <source>%1 is named twice</source>
        <translation>%1 указан дважды</translation>
    </message>
    <message>
        <source>No differences.</source>
        <translation>Различий нет.</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Значение</translation>
    </message>
    <message>
        <source>waiting for the controller&apos;s answer… %1 s</source>
        <translation>ожидание ответа контроллера… %1 с</translation>
    </message>
    <message>
        <source>Factory configuration written to %1</source>
        <translation>Заводская конфигурация записана в %1</translation>
    </message>
    <message>
        <source>--site names one controller: give one port</source>
        <translation>--site называет один контроллер: укажите один порт</translation>
    </message>
    <message>
        <source>the site book: %1</source>
        <translation>журнал объектов: %1</translation>
    </message>
    <message>
        <source>%1; the revisions wait in the outbox until `book sync`</source>
        <translation>%1; записи ждут отправки до `book sync`</translation>
    </message>
    <message>
        <source>--site: the book has no site named %1 (book add makes one)</source>
        <translation>--site: в журнале нет объекта с названием %1 (book add создаёт объект)</translation>
    </message>
    <message>
        <source>--site: the book has no site named %1; the closest: %2 (book add makes one)</source>
        <translation>--site: в журнале нет объекта с названием %1; ближайшие: %2 (book add создаёт объект)</translation>
    </message>
    <message>
        <source>by its fingerprint</source>
        <translation>по отпечатку</translation>
    </message>
    <message>
        <source>by its subscriber numbers</source>
        <translation>по номерам абонентов</translation>
    </message>
    <message>
        <source>recognised as %1 %2</source>
        <translation>узнан как %1 %2</translation>
    </message>
    <message>
        <source>recognised as %1 %2 (--site auto records it there)</source>
        <translation>узнан как %1 %2 (--site auto записывает туда)</translation>
    </message>
    <message>
        <source>recorded in the site book as %1 (%2/%3)</source>
        <translation>записано в журнал объектов как %1 (%2/%3)</translation>
    </message>
    <message>
        <source>unassigned</source>
        <translation>не привязано</translation>
    </message>
    <message>
        <source>recorded in the site book as %1 (%2)</source>
        <translation>записано в журнал объектов как %1 (%2)</translation>
    </message>
</context>
</TS>

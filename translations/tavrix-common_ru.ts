<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>ComPortClient</name>
    <message>
        <source>sent %1 %2</source>
        <translation>отправлено %1 %2</translation>
    </message>
    <message>
        <source>server %1 %2</source>
        <translation>сервер %1 %2</translation>
    </message>
    <message>
        <source>the server refuses COM-PORT-OPTION: the line is used as raw TCP, with the server&apos;s own settings</source>
        <translation>сервер отказался от COM-PORT-OPTION: линия работает как простой TCP, с настройками самого сервера</translation>
    </message>
    <message>
        <source>set speed %1 → %2</source>
        <translation>скорость %1 → %2</translation>
    </message>
    <message>
        <source>the server kept speed %1</source>
        <translation>сервер оставил скорость %1</translation>
    </message>
    <message>
        <source>set data bits 8 → %1</source>
        <translation>биты данных 8 → %1</translation>
    </message>
    <message>
        <source>the server kept %1 data bits</source>
        <translation>сервер оставил битов данных: %1</translation>
    </message>
    <message>
        <source>set parity none → %1</source>
        <translation>чётность none → %1</translation>
    </message>
    <message>
        <source>the server kept parity %1</source>
        <translation>сервер оставил чётность %1</translation>
    </message>
    <message>
        <source>set stop bits 1 → %1</source>
        <translation>стоповые биты 1 → %1</translation>
    </message>
    <message>
        <source>the server kept %1 stop bits</source>
        <translation>сервер оставил стоповых битов: %1</translation>
    </message>
    <message>
        <source>line settings confirmed: %1 8N1</source>
        <translation>настройки линии подтверждены: %1 8N1</translation>
    </message>
</context>
<context>
    <name>ComPortServer</name>
    <message>
        <source>%1 cannot be opened: %2</source>
        <translation>%1 не открывается: %2</translation>
    </message>
    <message>
        <source>cannot listen on %1:%2: %3</source>
        <translation>не удаётся принимать подключения на %1:%2: %3</translation>
    </message>
    <message>
        <source>%1: %2 refused, the port is in use by %3</source>
        <translation>%1: %2 отклонён, порт занят %3</translation>
    </message>
    <message>
        <source>The port is in use by %1; try again later.<byte value="xd"/>
</source>
        <translation>Порт занят %1; попробуйте позже.<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>%1: %2 connected</source>
        <translation>%1: %2 подключился</translation>
    </message>
    <message>
        <source>%1: %2 disconnected</source>
        <translation>%1: %2 отключился</translation>
    </message>
    <message>
        <source>%1: %2 set speed %3 → %4</source>
        <translation>%1: %2 задал скорость %3 → %4</translation>
    </message>
</context>
<context>
    <name>NetworkLine</name>
    <message>
        <source>%1: a network port is rfc2217://HOST:PORT or socket://HOST:PORT</source>
        <translation>%1: сетевой порт записывается как rfc2217://ХОСТ:ПОРТ или socket://ХОСТ:ПОРТ</translation>
    </message>
    <message>
        <source>%1: no host</source>
        <translation>%1: не указан хост</translation>
    </message>
    <message>
        <source>%1: the port number goes from 1 to 65535</source>
        <translation>%1: номер порта — от 1 до 65535</translation>
    </message>
    <message>
        <source>%1: only HOST:PORT follows the scheme</source>
        <translation>%1: после схемы допускается только ХОСТ:ПОРТ</translation>
    </message>
    <message>
        <source>connection refused</source>
        <translation>в подключении отказано</translation>
    </message>
    <message>
        <source>host name not found</source>
        <translation>имя хоста не найдено</translation>
    </message>
    <message>
        <source>no answer within %1 s</source>
        <translation>нет ответа за %1 с</translation>
    </message>
    <message>
        <source>connected to %1</source>
        <translation>подключено к %1</translation>
    </message>
    <message>
        <source>raw TCP: the line settings are the server&apos;s own</source>
        <translation>простой TCP: настройки линии — те, что заданы на сервере</translation>
    </message>
    <message>
        <source>the server refuses COM-PORT-OPTION: used as raw TCP, the line settings are the server&apos;s own</source>
        <translation>сервер отказался от COM-PORT-OPTION: линия работает как простой TCP, настройки — те, что заданы на сервере</translation>
    </message>
    <message>
        <source>the server closed the connection during the Telnet negotiation</source>
        <translation>сервер закрыл соединение во время согласования Telnet</translation>
    </message>
    <message>
        <source>the server did not finish the Telnet negotiation within %1 s (a raw TCP port is socket://)</source>
        <translation>сервер не завершил согласование Telnet за %1 с (простой TCP-порт — socket://)</translation>
    </message>
    <message>
        <source>the server closed the connection</source>
        <translation>сервер закрыл соединение</translation>
    </message>
    <message>
        <source>the connection broke: %1</source>
        <translation>соединение оборвалось: %1</translation>
    </message>
    <message>
        <source>the server took COM-PORT-OPTION but did not confirm the line settings within %1 s</source>
        <translation>сервер принял COM-PORT-OPTION, но не подтвердил настройки линии за %1 с</translation>
    </message>
</context>
<context>
    <name>book</name>
    <message>
        <source>the book %1: %2</source>
        <translation>журнал %1: %2</translation>
    </message>
    <message>
        <source>the book %1: the controller %2 cannot be made</source>
        <translation>журнал %1: не удаётся создать контроллер %2</translation>
    </message>
    <message>
        <source>the book %1: the site %2 cannot be made</source>
        <translation>журнал %1: не удаётся создать объект %2</translation>
    </message>
    <message>
        <source>%1 is a site book of a newer version (%2); this program reads up to version %3</source>
        <translation>%1 — журнал объектов более новой версии (%2); эта программа читает до версии %3</translation>
    </message>
    <message>
        <source>the book %1 cannot be made: %2</source>
        <translation>не удаётся создать журнал %1: %2</translation>
    </message>
    <message>
        <source>%1 is a folder, not a site book</source>
        <translation>%1 — папка, а не журнал объектов</translation>
    </message>
    <message>
        <source>%1 cannot be opened: %2</source>
        <translation>не удаётся открыть %1: %2</translation>
    </message>
    <message>
        <source>%1 is not a site book (not an SQLite database, or damaged)</source>
        <translation>%1 — не журнал объектов (не база SQLite или повреждён)</translation>
    </message>
    <message>
        <source>%1 is not a site book (an SQLite database of something else)</source>
        <translation>%1 — не журнал объектов (база SQLite чего-то другого)</translation>
    </message>
    <message>
        <source>%1 is a damaged site book: %2</source>
        <translation>%1 — повреждённый журнал объектов: %2</translation>
    </message>
    <message>
        <source>the folder %1 cannot be made</source>
        <translation>не удаётся создать папку %1</translation>
    </message>
    <message>
        <source>%1: a shared book is named postgresql://USER@HOST[:PORT]/DB</source>
        <translation>%1: общий журнал указывается как postgresql://ПОЛЬЗОВАТЕЛЬ@ХОСТ[:ПОРТ]/БАЗА</translation>
    </message>
    <message>
        <source>%1: this installation has no PostgreSQL driver for Qt SQL (qsqlpsql); use a book file, or bundles</source>
        <translation>%1: в этой установке нет драйвера PostgreSQL для Qt SQL (qsqlpsql); используйте файл журнала или пакеты</translation>
    </message>
    <message>
        <source>%1: the port must be a number from 1 to 65535</source>
        <translation>%1: порт должен быть числом от 1 до 65535</translation>
    </message>
    <message>
        <source>%1 cannot be reached: %2</source>
        <translation>нет связи с %1: %2</translation>
    </message>
    <message>
        <source>a site needs a name</source>
        <translation>у объекта должно быть название</translation>
    </message>
    <message>
        <source>a site&apos;s name cannot hold &apos;/&apos; (it separates the controller): %1</source>
        <translation>в названии объекта не может быть &apos;/&apos; (он отделяет контроллер): %1</translation>
    </message>
    <message>
        <source>the book already has a site named %1</source>
        <translation>в журнале уже есть объект с названием %1</translation>
    </message>
    <message>
        <source>a site needs a name without &apos;/&apos;</source>
        <translation>у объекта должно быть название без &apos;/&apos;</translation>
    </message>
    <message>
        <source>the book has no such site</source>
        <translation>в журнале нет такого объекта</translation>
    </message>
    <message>
        <source>the book has no site named %1</source>
        <translation>в журнале нет объекта с названием %1</translation>
    </message>
    <message>
        <source>%1 names several revisions; give more of the id</source>
        <translation>%1 подходит к нескольким записям; укажите номер длиннее</translation>
    </message>
    <message>
        <source>the book has no revision or site %1</source>
        <translation>в журнале нет записи или объекта %1</translation>
    </message>
    <message>
        <source>%1 has no revisions</source>
        <translation>у %1 нет записей</translation>
    </message>
    <message>
        <source>the book %1: not a configuration, nothing recorded</source>
        <translation>журнал %1: это не настройки, ничего не записано</translation>
    </message>
    <message>
        <source>the book has no such controller</source>
        <translation>в журнале нет такого контроллера</translation>
    </message>
    <message>
        <source>the book has no revision %1</source>
        <translation>в журнале нет записи %1</translation>
    </message>
    <message>
        <source>%1 cannot be written: %2</source>
        <translation>не удаётся записать %1: %2</translation>
    </message>
    <message>
        <source>%1 cannot be read: %2</source>
        <translation>не удаётся прочитать %1: %2</translation>
    </message>
    <message>
        <source>%1 is not a site book bundle</source>
        <translation>%1 — не пакет журнала объектов</translation>
    </message>
    <message>
        <source>%1 is a bundle of a newer version (%2)</source>
        <translation>%1 — пакет более новой версии (%2)</translation>
    </message>
    <message>
        <source>%1: the revision %2 is malformed; nothing imported</source>
        <translation>%1: запись %2 испорчена; ничего не загружено</translation>
    </message>
    <message>
        <source>%1: the revision %2 does not match its fingerprint %3 (changed after export); nothing imported</source>
        <translation>%1: запись %2 не совпадает со своим отпечатком %3 (изменена после выгрузки); ничего не загружено</translation>
    </message>
    <message>
        <source>%1: a site without a valid name; nothing imported</source>
        <translation>%1: объект без допустимого названия; ничего не загружено</translation>
    </message>
</context>
<context>
    <name>config</name>
    <message>
        <source>it is not a folder</source>
        <translation>это не папка</translation>
    </message>
    <message>
        <source>the folder cannot be made</source>
        <translation>папку не удаётся создать</translation>
    </message>
    <message>
        <source>the file cannot be written</source>
        <translation>файл не удаётся записать</translation>
    </message>
    <message>
        <source>a zero byte ends the controller&apos;s record there</source>
        <translation>нулевой байт оборвал бы там запись контроллера</translation>
    </message>
    <message>
        <source>a carriage return ends the controller&apos;s reply</source>
        <translation>возврат каретки оборвал бы ответ контроллера</translation>
    </message>
    <message>
        <source>the controller&apos;s Windows-1251 text has no such character</source>
        <translation>в тексте контроллера (Windows-1251) нет такого знака</translation>
    </message>
    <message>
        <source>an item number from %1 to %2</source>
        <translation>номер пункта от %1 до %2</translation>
    </message>
    <message>
        <source>one of the item numbers %1</source>
        <translation>один из номеров пунктов %1</translation>
    </message>
    <message>
        <source>-1 (nothing selected)</source>
        <translation>-1 (ничего не выбрано)</translation>
    </message>
    <message>
        <source>-1 (nothing selected) or </source>
        <translation>-1 (ничего не выбрано) или </translation>
    </message>
    <message>
        <source>%1 takes 0 or 1, not &quot;%2&quot;</source>
        <translation>%1 принимает 0 или 1, а не «%2»</translation>
    </message>
    <message>
        <source>%1 takes %2, not &quot;%3&quot;</source>
        <translation>%1 принимает %2, а не «%3»</translation>
    </message>
    <message>
        <source>%1 cannot hold %2: %3</source>
        <translation>%1 не может содержать %2: %3</translation>
    </message>
    <message>
        <source>%1 cannot hold %2: no read of a controller shows it there</source>
        <translation>%1 не может содержать %2: ни одно чтение контроллера его там не покажет</translation>
    </message>
    <message>
        <source>%1 cannot hold &quot;%2&quot;: a record holding a reply word reads as a malformed reply</source>
        <translation>%1 не может содержать «%2»: запись со словом ответа читается как искажённый ответ</translation>
    </message>
    <message>
        <source>%1 takes at most %2 characters (its slot in the record), &quot;%3&quot; has %4</source>
        <translation>%1 вмещает не больше %2 знаков (его место в записи), в «%3» их %4</translation>
    </message>
    <message>
        <source>%1 is not a configuration control</source>
        <translation>%1 не является элементом настроек</translation>
    </message>
    <message>
        <source>exactly one of the radio buttons %1 must be 1, the file has %2</source>
        <translation>ровно один из переключателей %1 должен быть 1, в файле %2</translation>
    </message>
    <message>
        <source>line %1; </source>
        <translation>строка %1; </translation>
    </message>
    <message>
        <source>%1 %2 becomes %3 (%4)</source>
        <translation>%1 %2 становится %3 (%4)</translation>
    </message>
    <message>
        <source>a carriage return (%1)</source>
        <translation>возврат каретки (%1)</translation>
    </message>
    <message>
        <source>a line feed (%1)</source>
        <translation>перевод строки (%1)</translation>
    </message>
    <message>
        <source>a tab (%1)</source>
        <translation>табуляцию (%1)</translation>
    </message>
    <message>
        <source>a space (%1)</source>
        <translation>пробел (%1)</translation>
    </message>
    <message>
        <source>a control character (%1)</source>
        <translation>управляющий знак (%1)</translation>
    </message>
    <message>
        <source>larger than %1 bytes: not a configuration file</source>
        <translation>больше %1 байт: это не файл настроек</translation>
    </message>
    <message>
        <source>the quoted text has no closing quote</source>
        <translation>у текста в кавычках нет закрывающей кавычки</translation>
    </message>
    <message>
        <source>text after the closing quote</source>
        <translation>текст после закрывающей кавычки</translation>
    </message>
    <message>
        <source>not UTF-8 text</source>
        <translation>не текст в UTF-8</translation>
    </message>
    <message>
        <source>not a configuration file (the first line must be &quot;# %1 %2&quot;)</source>
        <translation>не файл настроек (первая строка должна быть «# %1 %2»)</translation>
    </message>
    <message>
        <source>format version %1 is not known (this program reads version %2)</source>
        <translation>версия формата %1 неизвестна (эта программа читает версию %2)</translation>
    </message>
    <message>
        <source>expected &quot;Name = value&quot;</source>
        <translation>ожидалось «Имя = значение»</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not a control name</source>
        <translation>«%1» — не имя элемента</translation>
    </message>
    <message>
        <source>%1 is given twice (first on line %2)</source>
        <translation>%1 задан дважды (впервые в строке %2)</translation>
    </message>
    <message>
        <source>&quot;%1&quot; names more than one control: %2; give the control name</source>
        <translation>«%1» подходит к нескольким элементам: %2; укажите имя элемента</translation>
    </message>
    <message>
        <source>the access point, server and port are too long: a controller&apos;s reply would take %1 bytes, and holds at most %2</source>
        <translation>точка доступа, сервер и порт слишком длинные: ответ контроллера занял бы %1 байт, а он вмещает не больше %2</translation>
    </message>
    <message>
        <source>%1: a read never shows &quot;%2&quot; (its quotes and separators would be taken for the record&apos;s own; it would come back as &quot;%3&quot;)</source>
        <translation>%1: чтение никогда не покажет «%2» (его кавычки и разделители были бы приняты за разделители самой записи; оно вернулось бы как «%3»)</translation>
    </message>
    <message>
        <source>the access point, server and port would make a record that reads as malformed: %1</source>
        <translation>с такими точкой доступа, сервером и портом запись читалась бы как искажённая: %1</translation>
    </message>
</context>
<context>
    <name>line</name>
    <message>
        <source>the backups folder %1 cannot be made</source>
        <translation>папку резервных копий %1 не удаётся создать</translation>
    </message>
    <message>
        <source>the log&apos;s folder %1 does not exist</source>
        <translation>папки журнала %1 нет</translation>
    </message>
    <message>
        <source>the log %1 cannot be written: %2</source>
        <translation>журнал %1 не удаётся записать: %2</translation>
    </message>
    <message>
        <source>is not a configuration control</source>
        <translation>не является элементом настроек</translation>
    </message>
    <message>
        <source>%1 (with line %2 of %3)</source>
        <translation>%1 (со строкой %2 из %3)</translation>
    </message>
    <message>
        <source>: line %1</source>
        <translation>: строка %1</translation>
    </message>
    <message>
        <source>, column %1</source>
        <translation>, столбец %1</translation>
    </message>
    <message>
        <source>text after a closing quote</source>
        <translation>текст после закрывающей кавычки</translation>
    </message>
    <message>
        <source>a quote is not closed</source>
        <translation>кавычка не закрыта</translation>
    </message>
    <message>
        <source>is not UTF-8 text</source>
        <translation>не текст в UTF-8</translation>
    </message>
    <message>
        <source>has no header of control names</source>
        <translation>нет заголовка с именами элементов</translation>
    </message>
    <message>
        <source>the header has an empty column name</source>
        <translation>в заголовке пустое имя столбца</translation>
    </message>
    <message>
        <source>named twice</source>
        <translation>указан дважды</translation>
    </message>
    <message>
        <source>has %1 field(s), the header %2</source>
        <translation>полей: %1, в заголовке: %2</translation>
    </message>
    <message>
        <source>names more than one control: %1; give the control name</source>
        <translation>подходит к нескольким элементам: %1; укажите имя элемента</translation>
    </message>
    <message>
        <source>names %1, as the column %2 does</source>
        <translation>называет %1, как и столбец %2</translation>
    </message>
    <message>
        <source>the backup cannot be saved: %1</source>
        <translation>резервная копия не сохранена: %1</translation>
    </message>
    <message>
        <source>the record to write would read as malformed: %1; nothing written</source>
        <translation>такая запись читалась бы как искажённая (%1); ничего не записано</translation>
    </message>
    <message>
        <source>the command could not be sent</source>
        <translation>команда не отправлена</translation>
    </message>
    <message>
        <source>the port went away</source>
        <translation>порт пропал</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>остановлено</translation>
    </message>
    <message>
        <source>%1 byte(s) read back differ from those written, the first at offset %2</source>
        <translation>считано не то, что записано: байтов %1, первый на позиции %2</translation>
    </message>
    <message>
        <source>the site book: %1</source>
        <translation>журнал объектов: %1</translation>
    </message>
    <message>
        <source>READ_SET</source>
        <translation>чтение</translation>
    </message>
    <message>
        <source>WRITE_SET_</source>
        <translation>запись</translation>
    </message>
    <message>
        <source>the controller stopped answering (%1)</source>
        <translation>контроллер перестал отвечать (%1)</translation>
    </message>
</context>
<context>
    <name>line::ProductionLine</name>
    <message>
        <source>at the backup</source>
        <translation>при резервной копии</translation>
    </message>
    <message>
        <source>at the write</source>
        <translation>при записи</translation>
    </message>
    <message>
        <source>at the check</source>
        <translation>при проверке</translation>
    </message>
    <message>
        <source>written and verified</source>
        <translation>записан и проверен</translation>
    </message>
    <message>
        <source>failed %1: %2</source>
        <translation>ошибка %1: %2</translation>
    </message>
    <message>
        <source>, %1 row(s) left</source>
        <translation>, строк осталось %1</translation>
    </message>
    <message>
        <source>controller %1</source>
        <translation>контроллер %1</translation>
    </message>
    <message>
        <source>Total: %1 written, %2 failed</source>
        <translation>Итого: записано %1, ошибок %2</translation>
    </message>
    <message>
        <source>, %1 an hour</source>
        <translation>, %1 в час</translation>
    </message>
    <message>
        <source>, median cycle %1 s</source>
        <translation>, медиана цикла %1 с</translation>
    </message>
    <message>
        <source>%1  %2  %3  %4 s</source>
        <translation>%1  %2  %3  %4 с</translation>
    </message>
</context>
<context>
    <name>link</name>
    <message>
        <source>no such port</source>
        <translation>нет такого порта</translation>
    </message>
    <message>
        <source>no permission to open it (tavrix-configurator --ports says how to get it)</source>
        <translation>нет доступа</translation>
    </message>
    <message>
        <source>with UID %1</source>
        <translation>с UID %1</translation>
    </message>
    <message>
        <source>no permission to open it (tavrix-configurator --ports says how to get it)</source>
        <comment>with the group %1 and the mode %2</comment>
        <translation>нет доступа: устройство принадлежит группе %1 (%2)</translation>
    </message>
    <message>
        <source>; the user %1 is in this group already, but the session began earlier: log out and in again</source>
        <translation>; пользователь %1 уже в этой группе, но сеанс начат раньше: выйдите из системы и войдите снова</translation>
    </message>
    <message>
        <source>, and the user %1 is not in it; add them to the group with sudo usermod -aG %2 $USER, then log out and in again</source>
        <translation>, а пользователь %1 в неё не входит; добавьте его в группу командой sudo usermod -aG %2 $USER, затем выйдите из системы и войдите снова</translation>
    </message>
    <message>
        <source>, and its mode does not let the user %1 open it; a udev rule grants access (for example, GROUP=&quot;dialout&quot;, MODE=&quot;0660&quot;)</source>
        <translation>, и его права не дают открыть его пользователю %1; доступ открывает правило udev (например, GROUP=&quot;dialout&quot;, MODE=&quot;0660&quot;)</translation>
    </message>
    <message>
        <source>pseudo-terminal</source>
        <translation>псевдотерминал</translation>
    </message>
    <message>
        <source>through the link %1</source>
        <translation>по ссылке %1</translation>
    </message>
    <message>
        <source>the link %1 points to %2, which does not exist</source>
        <translation>ссылка %1 указывает на %2, а такого устройства нет</translation>
    </message>
    <message>
        <source>no device</source>
        <translation>нет устройства</translation>
    </message>
    <message>
        <source>the device is gone (the adapter was pulled or the program that made the port has ended)</source>
        <translation>устройства больше нет: адаптер отключён или программа, создавшая порт, завершилась; откройте список портов, чтобы найти их заново</translation>
    </message>
    <message>
        <source>busy: another program holds it</source>
        <translation>занят другой программой</translation>
    </message>
    <message>
        <source>busy: held by the process with PID %1</source>
        <translation>занят процессом с PID %1</translation>
    </message>
    <message>
        <source>busy: held by %1 (PID %2)</source>
        <translation>занят программой %1 (PID %2)</translation>
    </message>
    <message>
        <source>the lock file %1 is left from a program that has ended; delete it: sudo rm %1</source>
        <comment>with the PID %2</comment>
        <translation>файл блокировки %1 остался от программы, которая уже завершилась (PID %2); удалите его: sudo rm %1</translation>
    </message>
    <message>
        <source>the lock file %1 is left from a program that has ended; delete it: sudo rm %1</source>
        <translation>файл блокировки %1 остался от программы, которая уже завершилась; удалите его: sudo rm %1</translation>
    </message>
    <message>
        <source>the system refuses it: %1</source>
        <translation>не открывается: %1</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Устройство</translation>
    </message>
    <message>
        <source>Free</source>
        <translation>Свободен</translation>
    </message>
    <message>
        <source>Details</source>
        <translation>Подробности</translation>
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
        <source>Ports folder: %1</source>
        <translation>Папка ссылок: %1</translation>
    </message>
    <message>
        <source>no such port: the adapter is not plugged in or has another number (see Device Manager, Ports (COM &amp; LPT))</source>
        <translation>нет такого порта: адаптер не подключён или получил другой номер (смотрите «Диспетчер устройств» → «Порты (COM и LPT)»)</translation>
    </message>
    <message>
        <source>busy: another program holds it (Windows tells which only to an administrator)</source>
        <translation>занят другой программой (какой именно, Windows сообщает только администратору; закройте терминалы и другие программы, работающие с портом)</translation>
    </message>
    <message>
        <source>the device has been unplugged</source>
        <translation>устройство отключено</translation>
    </message>
    <message>
        <source>the system refuses it: Windows error %1</source>
        <translation>не открывается: ошибка Windows %1</translation>
    </message>
    <message>
        <source>the system refuses it: %1 (Windows error %2)</source>
        <translation>не открывается: %1 (ошибка Windows %2)</translation>
    </message>
</context>
<context>
    <name>protocol</name>
    <message>
        <source>the reply word %1 stands inside the record at offset %2 (%3)</source>
        <translation>слово ответа %1 стоит внутри записи по смещению %2 (%3)</translation>
    </message>
    <message>
        <source>the record has %1 characters, fewer than the %2 of its fixed part</source>
        <translation>в записи %1 знаков, меньше %2 её постоянной части</translation>
    </message>
    <message>
        <source>offset %1 holds %2, not the quote that opens the internet settings (the record is shifted)</source>
        <translation>по смещению %1 стоит %2, а не кавычка, открывающая настройки интернета (запись сдвинута)</translation>
    </message>
    <message>
        <source>the internet settings have no protocol group (&quot;TCP&quot;,) after the access point</source>
        <translation>в настройках интернета нет группы протокола (&quot;TCP&quot;,) после точки доступа</translation>
    </message>
    <message>
        <source>the protocol group stands at offset %1, not %2 (the record is shifted)</source>
        <translation>группа протокола стоит по смещению %1, а не %2 (запись сдвинута)</translation>
    </message>
    <message>
        <source>the server and port after offset %1 are not &quot;server&quot;,&quot;port&quot; followed by spaces</source>
        <translation>сервер и порт после смещения %1 не имеют вида &quot;сервер&quot;,&quot;порт&quot; с пробелами после</translation>
    </message>
    <message>
        <source>no answer to %1 within %2 s</source>
        <translation>нет ответа на %1 за %2 с</translation>
    </message>
    <message>
        <source>every answer to %1 within %2 s was malformed</source>
        <translation>все ответы на %1 за %2 с искажены</translation>
    </message>
    <message>
        <source>%1, the last: %2</source>
        <translation>%1, последний: %2</translation>
    </message>
</context>
<context>
    <name>report</name>
    <message>
        <source>the program that draws a PDF is missing: no %1 (an .html sheet needs none)</source>
        <translation>нет программы, которая рисует PDF: не найден %1 (листу .html она не нужна)</translation>
    </message>
    <message>
        <source>%1 cannot be started: %2</source>
        <translation>%1 не запускается: %2</translation>
    </message>
    <message>
        <source>%1 did not finish drawing the sheet</source>
        <translation>%1 не закончил рисовать лист</translation>
    </message>
    <message>
        <source>it stopped with status %1</source>
        <translation>он завершился с кодом %1</translation>
    </message>
    <message>
        <source>%1 could not draw the sheet: %2</source>
        <translation>%1 не смог нарисовать лист: %2</translation>
    </message>
    <message>
        <source>the PDF writer made a file whose information cannot be extended</source>
        <translation>программа записи PDF создала файл, сведения которого нельзя дополнить</translation>
    </message>
    <message>
        <source>a sheet is a .pdf or an .html file</source>
        <translation>лист — это файл .pdf или .html</translation>
    </message>
    <message>
        <source> or </source>
        <translation> или </translation>
    </message>
    <message>
        <source>it crashed</source>
        <translation>он аварийно завершился</translation>
    </message>
    <message>
        <source>the PDF writer cannot start</source>
        <translation>не запускается запись PDF</translation>
    </message>
</context>
</TS>

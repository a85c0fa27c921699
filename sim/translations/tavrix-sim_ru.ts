<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>Sim</name>
    <message>
        <source>--%1 takes %2 to %3</source>
        <translation>--%1 принимает от %2 до %3</translation>
    </message>
    <message>
        <source>, not &apos;%1&apos;</source>
        <translation>, а не «%1»</translation>
    </message>
    <message>
        <source>--%1 takes %2 to %3 seconds, not &apos;%4&apos;</source>
        <translation>--%1 принимает от %2 до %3 секунд, а не «%4»</translation>
    </message>
    <message>
        <source>Simulates the Tavrix controller on a pseudo-terminal linked as a COM port.
The messages are in Russian when the system&apos;s language is Russian, in English
otherwise (LANGUAGE=en or LANGUAGE=ru chooses).</source>
        <translation>Имитирует контроллер Tavrix на псевдотерминале, подключённом как COM-порт.
Сообщения выводятся по-русски, если язык системы русский, иначе по-английски
(выбрать язык можно переменной LANGUAGE=ru или LANGUAGE=en).</translation>
    </message>
    <message>
        <source>COM number to link, 1 to 50 (default 1).</source>
        <translation>Номер COM-порта для ссылки, от 1 до 50 (по умолчанию 1).</translation>
    </message>
    <message>
        <source>Ports folder (default %1).</source>
        <translation>Папка ссылок портов (по умолчанию %1).</translation>
    </message>
    <message>
        <source>Wait before each reply.</source>
        <translation>Пауза перед каждым ответом.</translation>
    </message>
    <message>
        <source>Deliver replies in chunks of this many bytes.</source>
        <translation>Отдавать ответы кусками по столько байт.</translation>
    </message>
    <message>
        <source>Pause between chunks.</source>
        <translation>Пауза между кусками.</translation>
    </message>
    <message>
        <source>Bytes sent before each reply.</source>
        <translation>Байты, отправляемые перед каждым ответом.</translation>
    </message>
    <message>
        <source>Bytes sent after each reply.</source>
        <translation>Байты, отправляемые после каждого ответа.</translation>
    </message>
    <message>
        <source>Send no replies (commands still take effect).</source>
        <translation>Не отправлять ответов (команды всё равно выполняются).</translation>
    </message>
    <message>
        <source>Send only the first N bytes of each reply.</source>
        <translation>Отправлять только первые N байт каждого ответа.</translation>
    </message>
    <message>
        <source>Read commands but never answer.</source>
        <translation>Читать команды, но никогда не отвечать.</translation>
    </message>
    <message>
        <source>Apply the faults above to the first reply only.</source>
        <translation>Применять эти сбои только к первому ответу.</translation>
    </message>
    <message>
        <source>Make the port disappear after this time, then exit.</source>
        <translation>Убрать порт через это время и завершиться.</translation>
    </message>
    <message>
        <source>Store each settings record with the byte at this offset changed, and acknowledge it.</source>
        <translation>Сохранять каждую запись настроек с изменённым байтом по этому смещению и подтверждать её.</translation>
    </message>
    <message>
        <source>Controllers connected one after another, each with its own configuration.</source>
        <translation>Контроллеры, подключаемые один за другим, каждый со своими настройками.</translation>
    </message>
    <message>
        <source>Seconds each unit stays connected (default 8).</source>
        <translation>Сколько секунд каждое изделие остаётся подключённым (по умолчанию 8).</translation>
    </message>
    <message>
        <source>Seconds the cable stays empty between units (default 5; a production line takes a unit as gone after 4 s of silence).</source>
        <translation>Сколько секунд кабель свободен между изделиями (по умолчанию 5; линия считает изделие снятым после 4 с молчания).</translation>
    </message>
    <message>
        <source>Create the port&apos;s link only after this many seconds.</source>
        <translation>Создать ссылку порта только через столько секунд.</translation>
    </message>
    <message>
        <source>Remove the port this many seconds after the start, then exit.</source>
        <translation>Убрать порт через столько секунд после запуска и завершиться.</translation>
    </message>
    <message>
        <source>Send replies at once instead of at 9600 baud.</source>
        <translation>Отправлять ответы сразу, а не со скоростью 9600 бод.</translation>
    </message>
    <message>
        <source>No traffic trace on stderr.</source>
        <translation>Не выводить обмен в стандартный поток ошибок.</translation>
    </message>
    <message>
        <source>, and no value follows it</source>
        <translation>, а значение за ним не указано</translation>
    </message>
    <message>
        <source>--%1 needs --units</source>
        <translation>--%1 требует --units</translation>
    </message>
    <message>
        <source>--vanish-after comes before --appear-after</source>
        <translation>--vanish-after раньше, чем --appear-after</translation>
    </message>
    <message>
        <source>cannot install the signal handlers</source>
        <translation>не удаётся установить обработчики сигналов</translation>
    </message>
    <message>
        <source>unit %1 connected</source>
        <translation>изделие %1 подключено</translation>
    </message>
    <message>
        <source>unit %1 disconnected</source>
        <translation>изделие %1 отключено</translation>
    </message>
</context>
<context>
    <name>sim::Bench</name>
    <message>
        <source>the port cannot appear before the start</source>
        <translation>порт не может появиться раньше запуска</translation>
    </message>
    <message>
        <source>the port cannot vanish before it appears</source>
        <translation>порт не может пропасть раньше, чем появится</translation>
    </message>
    <message>
        <source>each unit needs a time on the cable</source>
        <translation>каждому изделию нужно время на кабеле</translation>
    </message>
</context>
<context>
    <name>sim::Simulator</name>
    <message>
        <source>already running on %1</source>
        <translation>уже работает на %1</translation>
    </message>
    <message>
        <source>COM number %1 is outside %2 to %3</source>
        <translation>номер COM %1 вне пределов от %2 до %3</translation>
    </message>
    <message>
        <source>cannot create the ports folder %1</source>
        <translation>не удаётся создать папку ссылок %1</translation>
    </message>
    <message>
        <source>COM%1 is taken: %2 -&gt; %3</source>
        <translation>COM%1 занят: %2 -&gt; %3</translation>
    </message>
    <message>
        <source>COM%1 is pinned to %2, which is not there</source>
        <translation>COM%1 закреплён за %2, а такого устройства нет</translation>
    </message>
    <message>
        <source>cannot replace the link %1</source>
        <translation>не удаётся заменить ссылку %1</translation>
    </message>
    <message>
        <source>%1 exists and is not a link</source>
        <translation>%1 существует и не является ссылкой</translation>
    </message>
    <message>
        <source>cannot create the link %1</source>
        <translation>не удаётся создать ссылку %1</translation>
    </message>
    <message>
        <source>linked %1 -&gt; %2</source>
        <translation>ссылка %1 -&gt; %2</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>остановлен</translation>
    </message>
    <message>
        <source>hung up</source>
        <translation>порт убран</translation>
    </message>
    <message>
        <source>%1, removed %2</source>
        <translation>%1, ссылка %2 удалена</translation>
    </message>
    <message>
        <source>controller connected</source>
        <translation>контроллер подключён</translation>
    </message>
    <message>
        <source>controller disconnected</source>
        <translation>контроллер отключён</translation>
    </message>
    <message>
        <source>read failed: %1</source>
        <translation>ошибка чтения: %1</translation>
    </message>
    <message>
        <source>dropped %1 bytes without CR</source>
        <translation>отброшено байт без CR: %1</translation>
    </message>
    <message>
        <source>   (stored with offset %1 changed)</source>
        <translation>   (сохранено с изменённым байтом по смещению %1)</translation>
    </message>
    <message>
        <source>   (unknown command, no answer)</source>
        <translation>   (неизвестная команда, ответа нет)</translation>
    </message>
    <message>
        <source>   (silent)</source>
        <translation>   (молчит)</translation>
    </message>
    <message>
        <source>   (reply dropped)</source>
        <translation>   (ответ не отправлен)</translation>
    </message>
    <message>
        <source>write failed: %1</source>
        <translation>ошибка записи: %1</translation>
    </message>
    <message>
        <source>&lt;- %1 (%2 bytes)</source>
        <translation>&lt;- %1 (%2 байт)</translation>
    </message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>QCommandLineParser</name>
    <message>
        <source>Usage: %1</source>
        <translation>Использование: %1</translation>
    </message>
    <message>
        <source>[options]</source>
        <translation>[параметры]</translation>
    </message>
    <message>
        <source>Options:</source>
        <translation>Параметры:</translation>
    </message>
    <message>
        <source>Arguments:</source>
        <translation>Аргументы:</translation>
    </message>
    <message>
        <source>Missing value after &apos;%1&apos;.</source>
        <translation>Отсутствует значение после «%1».</translation>
    </message>
    <message>
        <source>Unexpected value after &apos;%1&apos;.</source>
        <translation>Неожиданное значение после «%1».</translation>
    </message>
</context>
<context>
    <name>commandline</name>
    <message>
        <source>(see %1 --help)</source>
        <translation>(см. %1 --help)</translation>
    </message>
    <message>
        <source>Shows this help and exits.</source>
        <translation>Показать эту справку и выйти.</translation>
    </message>
    <message>
        <source>Shows the program&apos;s name and version and exits.</source>
        <translation>Показать имя и версию программы и выйти.</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>неизвестный параметр «%1»</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>лишний аргумент «%1»</translation>
    </message>
</context>
</TS>

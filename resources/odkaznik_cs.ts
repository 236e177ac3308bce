<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- Czech texts that Qt's own Czech catalogue (qtbase_cs.qm) lacks: the
     file dialogs' "Typ" column. Loaded after that catalogue, so a text here
     wins over one there. -->
<TS version="2.1" language="cs_CZ">
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Folder</source>
        <translation>Složka</translation>
    </message>
    <message>
        <source>File Folder</source>
        <translation>Složka souborů</translation>
    </message>
    <message>
        <source>Drive</source>
        <translation>Disková jednotka</translation>
    </message>
    <message>
        <source>Shortcut</source>
        <translation>Zástupce</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Neznámý</translation>
    </message>
</context>
</TS>

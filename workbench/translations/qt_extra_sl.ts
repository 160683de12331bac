<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- The toolkit's texts that Debian's Slovenian catalogue (qt_sl) leaves in English: the standard
     buttons, the print dialog and the file dialog. Compiled with lrelease at build time. -->
<TS version="2.1" language="sl_SI">
<context>
    <name>QPlatformTheme</name>
    <message><source>OK</source><translation>V redu</translation></message>
    <message><source>&amp;Yes</source><translation>&amp;Da</translation></message>
    <message><source>&amp;No</source><translation>&amp;Ne</translation></message>
    <message><source>Cancel</source><translation>Prekliči</translation></message>
    <message><source>Open</source><translation>Odpri</translation></message>
    <message><source>Save</source><translation>Shrani</translation></message>
    <message><source>Close</source><translation>Zapri</translation></message>
    <message><source>Discard</source><translation>Zavrzi</translation></message>
    <message><source>Apply</source><translation>Uporabi</translation></message>
    <message><source>Help</source><translation>Pomoč</translation></message>
    <message><source>Yes to &amp;All</source><translation>Da za &amp;vse</translation></message>
    <message><source>N&amp;o to All</source><translation>N&amp;e za vse</translation></message>
    <message><source>Abort</source><translation>Prekini</translation></message>
    <message><source>Retry</source><translation>Poskusi znova</translation></message>
    <message><source>Ignore</source><translation>Prezri</translation></message>
</context>
<context>
    <name>QPrintDialog</name>
    <message><source>All Pages</source><translation>Vse strani</translation></message>
    <message><source>Odd Pages</source><translation>Lihe strani</translation></message>
    <message><source>Even Pages</source><translation>Sode strani</translation></message>
    <message><source>Write PDF file</source><translation>Zapiši datoteko PDF</translation></message>
</context>
<context>
    <name>QPrintSettingsOutput</name>
    <message><source>Pages</source><translation>Strani</translation></message>
    <message><source>Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.</source><translation>Navedite strani ali obsege, ločene z vejicami. Obseg sta dve števili, ločeni z vezajem. Npr. 3,5-7,9 natisne strani 3, 5, 6, 7 in 9.</translation></message>
    <message><source>Page Set:</source><translation>Nabor strani:</translation></message>
    <message><source>Double Sided Printing</source><translation>Obojestransko tiskanje</translation></message>
    <message><source>Off</source><translation>Izklopljeno</translation></message>
    <message><source>Long side binding</source><translation>Vezava po daljši stranici</translation></message>
    <message><source>Short side binding</source><translation>Vezava po krajši stranici</translation></message>
</context>
<context>
    <name>QAbstractFileIconProvider</name>
    <message><source>Drive</source><translation>Pogon</translation></message>
    <message><source>Folder</source><comment>All other platforms</comment><translation>Mapa</translation></message>
</context>
<context>
    <name>QFileDialog</name>
    <message><source>Sidebar</source><translation>Stranska vrstica</translation></message>
    <message><source>List of places and bookmarks</source><translation>Seznam mest in zaznamkov</translation></message>
    <message><source>Files</source><translation>Datoteke</translation></message>
</context>
</TS>

<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>BoardPanel</name>
    <message>
        <source>&amp;Simulated board in a folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Real &amp;hardware (ports found by tarnwick)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Folder...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not looked for yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>as the signature says</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>89C51 (4 KB)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>89C52 (8 KB)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not read yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ports:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Board:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Part:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Signature:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The simulated board&apos;s folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>network card at %1, parallel port at %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ByteKind</name>
    <message>
        <source>not in the image</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FF (blank)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>differs from the chip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>failed to program</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ChipMap</name>
    <message>
        <source>%1-%2: %3</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Command</name>
    <message>
        <source>Find the ports</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Signature</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verify</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Erase</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Blank check</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Production run</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>HexModel</name>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>image %1, chip %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Text</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImageInfo</name>
    <message>
        <source>Image:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Bytes:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SUM16:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CRC-32:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File&apos;s SUM16:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none: open a file or read the chip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>none of the %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 of %2, %3-%4</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ImageLoader</name>
    <message>
        <source>line %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file cannot be opened.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file is too large for an image.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file could not be read to its end.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file is not a usable image (%1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The image does not fit the chip (%1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Intel HEX</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S-records</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>raw binary</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>image</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Chip images (*.hex *.ihx *.ihex *.s19 *.s28 *.s37 *.srec *.mot *.bin *.raw *.img);;Intel HEX (*.hex *.ihx *.ihex);;S-records (*.s19 *.s28 *.s37 *.srec *.mot);;Raw binary (*.bin *.raw *.img);;All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>SUM16 %1  CRC-32 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chip map</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Board and image</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Production run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Log</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open &amp;recent</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Re&amp;load</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Save the buffer as...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Watch the file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write the chip when it &amp;changes</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Chip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Stop at the next address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Board</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Simulated board in a folder...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Real &amp;hardware</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Check tarnwick and find the ports</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Production</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Start the production run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Go to address...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;About Tarnwick</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not read yet</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A run is going: the file is opened once it has ended.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Opened %1 (%2): %3 bytes given, SUM16 %4, CRC-32 %5.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The image needs an 8 KB chip (89C52).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open an image file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save the buffer as</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 was not saved (%2).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Saved the buffer as %1.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 changed on disk: read again.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;%1 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: tarnwick %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>  (tarnwick: %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chip %1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 %2%</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 passed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 FAILED</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tarnwick is ready.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Go to address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Address (hexadecimal):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>About Tarnwick</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Tarnwick %1&lt;/b&gt;: reads, programs, verifies and erases 89C51-family chips on a home-made programmer board, through the tarnwick command line.&lt;/p&gt;&lt;p&gt;Free software under the GNU General Public License, version 2 or (at your option) any later version. It comes with ABSOLUTELY NO WARRANTY.&lt;/p&gt;</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Tarnwick</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>A run is going</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 is running. Stop it at the next address and close once it has ended?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopping at the next address, then closing...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source> First at %1: expected %2, read %3.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Reading</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Erasing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Programming</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verifying</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Checking blank</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no chip answers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a signature of no known part</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2 KB (as named)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2 KB (assumed)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1, %2 KB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The chip is unchanged.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The chip is erased.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The chip is partly programmed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The chip is programmed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> The failures share data line D%1: check it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> The failures follow address line A%1: check it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> SUM16 %1, CRC-32 %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped at the next address.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> %1 bytes programmed, %2 not reached.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Refused: nothing was done to the chip.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write passed: %1 bytes programmed, %2 already right.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write FAILED: %1 bytes did not program.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verify passed: all %1 bytes match.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Verify FAILED: %1 of %2 bytes differ.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read the chip.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Read FAILED.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Erased: every byte reads FF.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Erase FAILED: %1 bytes do not read FF.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The chip is blank.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The chip is not blank: %1 bytes are not FF.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Passed.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FAILED.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source> %1 bytes read differently twice: the data lines are not stable; check the board&apos;s wiring and power.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The board is busy: another program is using it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No access to the ports: tarnwick needs an administrator, or the CAP_SYS_RAWIO capability.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No chip answers: check that it sits in the socket, the right way round.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The signature names no known part: choose the part.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The chip in the socket is not the part of the run.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The data lines are not stable: check the board&apos;s wiring and power.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The file cannot be used (tarnwick says: %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tarnwick refused its command line (it says: %1)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tarnwick says: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tarnwick could not be started: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This tarnwick is too new: it writes events of version %1, and this program reads version %2. Install tarnwick and tarnwick-gui of one release.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This tarnwick is too old: it does not know --json. Install tarnwick and tarnwick-gui of one release.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tarnwick ended without an event (exit code %1).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tarnwick&apos;s events could not be read (%1); the run was stopped.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopped: tarnwick ended at its next event. What the chip holds is not known.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tarnwick was cut off before its end; what the chip holds is not known.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ProductionPanel</name>
    <message>
        <source>The serial number&apos;s address is not a hexadecimal number.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Name the file that keeps the next serial number.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Write a &amp;serial number into each chip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>hexadecimal, e.g. 0FF0</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>binary, low byte first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>binary, high byte first</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>packed BCD</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ASCII digits</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a failed chip&apos;s number is skipped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>a failed chip&apos;s number is used again</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no limit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>S&amp;tart the production run</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>St&amp;op after this chip&apos;s next address</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Not running.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chip</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Serial</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Result</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Seconds</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Serial numbers</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Address:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Si&amp;ze (bytes):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Format:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Number file:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The serial number file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>First &amp;number:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>St&amp;ep:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>On &amp;failure:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>&amp;Journal (CSV):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The journal file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop after (passing chips):</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Waiting for a chip in the socket.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Ended: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chip %1 in the socket: %2.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unknown part</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Chip %1 taken out: waiting for the next one.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PASS</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>FAIL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>wrong part</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>stopped</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>after %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>-</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Passed %1, failed %2, wrong part %3. Yield %4. Chips an hour: %5. Next serial number: %6.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>Programmer</name>
    <message>
        <source>Another run is going: wait for its end, or stop it.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tarnwick was not found: install it, or name it with --tarnwick.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the simulated board&apos;s folder first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open an image file first.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No temporary folder can be made for the image.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The image cannot be handed to tarnwick: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tarnwick read the chip, but its file cannot be read: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>the chip as read</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Done.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>tarnwick ended with exit code %1.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Reads, programs, verifies and erases 89C51-family chips through the tarnwick command line.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Drive the simulated board in DIR.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DIR</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The tarnwick program to drive (default: the one beside this program, else on PATH).</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>PATH</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>An image file to open.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>[FILE]</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>

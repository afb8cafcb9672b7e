<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>BoardPanel</name>
    <message>
        <source>&amp;Simulated board in a folder</source>
        <translation>文件夹中的模拟编程板(&amp;S)</translation>
    </message>
    <message>
        <source>Real &amp;hardware (ports found by tarnwick)</source>
        <translation>真实硬件(由 tarnwick 查找端口)(&amp;H)</translation>
    </message>
    <message>
        <source>Folder...</source>
        <translation>文件夹...</translation>
    </message>
    <message>
        <source>not looked for yet</source>
        <translation>尚未查找</translation>
    </message>
    <message>
        <source>as the signature says</source>
        <translation>按特征字</translation>
    </message>
    <message>
        <source>89C51 (4 KB)</source>
        <translation>89C51(4 KB)</translation>
    </message>
    <message>
        <source>89C52 (8 KB)</source>
        <translation>89C52(8 KB)</translation>
    </message>
    <message>
        <source>not read yet</source>
        <translation>尚未读取</translation>
    </message>
    <message>
        <source>Ports:</source>
        <translation>端口:</translation>
    </message>
    <message>
        <source>Board:</source>
        <translation>编程板:</translation>
    </message>
    <message>
        <source>&amp;Part:</source>
        <translation>型号(&amp;P):</translation>
    </message>
    <message>
        <source>Signature:</source>
        <translation>特征字:</translation>
    </message>
    <message>
        <source>The simulated board&apos;s folder</source>
        <translation>模拟编程板的文件夹</translation>
    </message>
    <message>
        <source>network card at %1, parallel port at %2</source>
        <translation>网卡 %1,并口 %2</translation>
    </message>
</context>
<context>
    <name>ByteKind</name>
    <message>
        <source>not in the image</source>
        <translation>不在映像中</translation>
    </message>
    <message>
        <source>FF (blank)</source>
        <translation>FF(空白)</translation>
    </message>
    <message>
        <source>data</source>
        <translation>数据</translation>
    </message>
    <message>
        <source>differs from the chip</source>
        <translation>与芯片不同</translation>
    </message>
    <message>
        <source>failed to program</source>
        <translation>编程失败</translation>
    </message>
</context>
<context>
    <name>ChipMap</name>
    <message>
        <source>%1-%2: %3</source>
        <translation>%1-%2:%3</translation>
    </message>
</context>
<context>
    <name>Command</name>
    <message>
        <source>Find the ports</source>
        <translation>查找端口</translation>
    </message>
    <message>
        <source>Signature</source>
        <translation>读特征字</translation>
    </message>
    <message>
        <source>Read</source>
        <translation>读取</translation>
    </message>
    <message>
        <source>Write</source>
        <translation>写入</translation>
    </message>
    <message>
        <source>Verify</source>
        <translation>校验</translation>
    </message>
    <message>
        <source>Erase</source>
        <translation>擦除</translation>
    </message>
    <message>
        <source>Blank check</source>
        <translation>查空</translation>
    </message>
    <message>
        <source>Production run</source>
        <translation>批量生产</translation>
    </message>
</context>
<context>
    <name>HexModel</name>
    <message>
        <source>%1: %2</source>
        <translation>%1:%2</translation>
    </message>
    <message>
        <source>image %1, chip %2</source>
        <translation>映像 %1,芯片 %2</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>文本</translation>
    </message>
</context>
<context>
    <name>ImageInfo</name>
    <message>
        <source>Image:</source>
        <translation>映像:</translation>
    </message>
    <message>
        <source>Bytes:</source>
        <translation>字节:</translation>
    </message>
    <message>
        <source>SUM16:</source>
        <translation>SUM16:</translation>
    </message>
    <message>
        <source>CRC-32:</source>
        <translation>CRC-32:</translation>
    </message>
    <message>
        <source>File&apos;s SUM16:</source>
        <translation>文件的 SUM16:</translation>
    </message>
    <message>
        <source>none: open a file or read the chip</source>
        <translation>无:请打开文件或读取芯片</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1(%2)</translation>
    </message>
    <message>
        <source>none of the %1</source>
        <translation>%1 字节中无</translation>
    </message>
    <message>
        <source>%1 of %2, %3-%4</source>
        <translation>%2 字节中的 %1 个,%3-%4</translation>
    </message>
</context>
<context>
    <name>ImageLoader</name>
    <message>
        <source>line %1: %2</source>
        <translation>第 %1 行:%2</translation>
    </message>
    <message>
        <source>The file cannot be opened.</source>
        <translation>无法打开该文件。</translation>
    </message>
    <message>
        <source>The file is too large for an image.</source>
        <translation>文件太大,不是映像文件。</translation>
    </message>
    <message>
        <source>The file could not be read to its end.</source>
        <translation>无法读完该文件。</translation>
    </message>
    <message>
        <source>The file is not a usable image (%1).</source>
        <translation>该文件不是可用的映像(%1)。</translation>
    </message>
    <message>
        <source>The image does not fit the chip (%1).</source>
        <translation>映像超出芯片容量(%1)。</translation>
    </message>
    <message>
        <source>Intel HEX</source>
        <translation>Intel HEX</translation>
    </message>
    <message>
        <source>S-records</source>
        <translation>S 记录</translation>
    </message>
    <message>
        <source>raw binary</source>
        <translation>原始二进制</translation>
    </message>
    <message>
        <source>image</source>
        <translation>映像</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Chip images (*.hex *.ihx *.ihex *.s19 *.s28 *.s37 *.srec *.mot *.bin *.raw *.img);;Intel HEX (*.hex *.ihx *.ihex);;S-records (*.s19 *.s28 *.s37 *.srec *.mot);;Raw binary (*.bin *.raw *.img);;All files (*)</source>
        <translation>芯片映像 (*.hex *.ihx *.ihex *.s19 *.s28 *.s37 *.srec *.mot *.bin *.raw *.img);;Intel HEX (*.hex *.ihx *.ihex);;S 记录 (*.s19 *.s28 *.s37 *.srec *.mot);;原始二进制 (*.bin *.raw *.img);;所有文件 (*)</translation>
    </message>
    <message>
        <source>SUM16 %1  CRC-32 %2</source>
        <translation>SUM16 %1  CRC-32 %2</translation>
    </message>
    <message>
        <source>Chip map</source>
        <translation>芯片图</translation>
    </message>
    <message>
        <source>Board and image</source>
        <translation>编程板与映像</translation>
    </message>
    <message>
        <source>Production run</source>
        <translation>批量生产</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>日志</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Open...</source>
        <translation>打开(&amp;O)...</translation>
    </message>
    <message>
        <source>Open &amp;recent</source>
        <translation>最近打开(&amp;R)</translation>
    </message>
    <message>
        <source>Re&amp;load</source>
        <translation>重新载入(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Save the buffer as...</source>
        <translation>缓冲区另存为(&amp;S)...</translation>
    </message>
    <message>
        <source>&amp;Watch the file</source>
        <translation>监视文件(&amp;W)</translation>
    </message>
    <message>
        <source>Write the chip when it &amp;changes</source>
        <translation>文件改变时写入芯片(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>退出(&amp;Q)</translation>
    </message>
    <message>
        <source>&amp;Chip</source>
        <translation>芯片(&amp;C)</translation>
    </message>
    <message>
        <source>Chip</source>
        <translation>芯片</translation>
    </message>
    <message>
        <source>&amp;Stop at the next address</source>
        <translation>在下一地址停止(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Board</source>
        <translation>编程板(&amp;B)</translation>
    </message>
    <message>
        <source>&amp;Simulated board in a folder...</source>
        <translation>文件夹中的模拟编程板(&amp;S)...</translation>
    </message>
    <message>
        <source>Real &amp;hardware</source>
        <translation>真实硬件(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;Check tarnwick and find the ports</source>
        <translation>检查 tarnwick 并查找端口(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Production</source>
        <translation>批量生产(&amp;P)</translation>
    </message>
    <message>
        <source>&amp;Start the production run</source>
        <translation>开始批量生产(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>视图(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Go to address...</source>
        <translation>转到地址(&amp;G)...</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <source>&amp;About Tarnwick</source>
        <translation>关于 Tarnwick(&amp;A)</translation>
    </message>
    <message>
        <source>not read yet</source>
        <translation>尚未读取</translation>
    </message>
    <message>
        <source>A run is going: the file is opened once it has ended.</source>
        <translation>正在运行:结束后再打开文件。</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1:%2</translation>
    </message>
    <message>
        <source>Opened %1 (%2): %3 bytes given, SUM16 %4, CRC-32 %5.</source>
        <translation>已打开 %1(%2):给出 %3 字节,SUM16 %4,CRC-32 %5。</translation>
    </message>
    <message>
        <source>The image needs an 8 KB chip (89C52).</source>
        <translation>该映像需要 8 KB 芯片(89C52)。</translation>
    </message>
    <message>
        <source>Open an image file</source>
        <translation>打开映像文件</translation>
    </message>
    <message>
        <source>Save the buffer as</source>
        <translation>缓冲区另存为</translation>
    </message>
    <message>
        <source>%1 was not saved (%2).</source>
        <translation>%1 未能保存(%2)。</translation>
    </message>
    <message>
        <source>Saved the buffer as %1.</source>
        <translation>缓冲区已保存为 %1。</translation>
    </message>
    <message>
        <source>%1 changed on disk: read again.</source>
        <translation>%1 在磁盘上已改变:重新读取。</translation>
    </message>
    <message>
        <source>&amp;%1 %2</source>
        <translation>&amp;%1 %2</translation>
    </message>
    <message>
        <source>%1: tarnwick %2</source>
        <translation>%1:tarnwick %2</translation>
    </message>
    <message>
        <source>  (tarnwick: %1)</source>
        <translation>  (tarnwick:%1)</translation>
    </message>
    <message>
        <source>Chip %1: %2</source>
        <translation>芯片 %1:%2</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>%1 %2%</source>
        <translation>%1 %2%</translation>
    </message>
    <message>
        <source>%1 passed</source>
        <translation>%1成功</translation>
    </message>
    <message>
        <source>%1 stopped</source>
        <translation>%1已停止</translation>
    </message>
    <message>
        <source>%1 FAILED</source>
        <translation>%1失败</translation>
    </message>
    <message>
        <source>tarnwick is ready.</source>
        <translation>tarnwick 已就绪。</translation>
    </message>
    <message>
        <source>Go to address</source>
        <translation>转到地址</translation>
    </message>
    <message>
        <source>Address (hexadecimal):</source>
        <translation>地址(十六进制):</translation>
    </message>
    <message>
        <source>About Tarnwick</source>
        <translation>关于 Tarnwick</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;Tarnwick %1&lt;/b&gt;: reads, programs, verifies and erases 89C51-family chips on a home-made programmer board, through the tarnwick command line.&lt;/p&gt;&lt;p&gt;Free software under the GNU General Public License, version 2 or (at your option) any later version. It comes with ABSOLUTELY NO WARRANTY.&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;Tarnwick %1&lt;/b&gt;:通过 tarnwick 命令行,在自制编程板上读取、编程、校验和擦除 89C51 系列芯片。&lt;/p&gt;&lt;p&gt;自由软件,按 GNU 通用公共许可证第 2 版或(由您选择)任何更高版本发布。本软件不提供任何担保。&lt;/p&gt;</translation>
    </message>
    <message>
        <source>Tarnwick</source>
        <translation>Tarnwick</translation>
    </message>
    <message>
        <source>A run is going</source>
        <translation>正在运行</translation>
    </message>
    <message>
        <source>%1 is running. Stop it at the next address and close once it has ended?</source>
        <translation>%1 正在运行。在下一地址停止,并在结束后关闭吗?</translation>
    </message>
    <message>
        <source>Stopping at the next address, then closing...</source>
        <translation>正在下一地址停止,随后关闭...</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <translation>%1(%2)</translation>
    </message>
    <message>
        <source>none: open a file first</source>
        <translation>无:请先打开文件</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source> First at %1: expected %2, read %3.</source>
        <translation> 第一个在 %1:应为 %2,读出 %3。</translation>
    </message>
    <message>
        <source>Reading</source>
        <translation>读取</translation>
    </message>
    <message>
        <source>Erasing</source>
        <translation>擦除</translation>
    </message>
    <message>
        <source>Programming</source>
        <translation>编程</translation>
    </message>
    <message>
        <source>Verifying</source>
        <translation>校验</translation>
    </message>
    <message>
        <source>Checking blank</source>
        <translation>查空</translation>
    </message>
    <message>
        <source>no chip answers</source>
        <translation>没有芯片应答</translation>
    </message>
    <message>
        <source>a signature of no known part</source>
        <translation>不是已知型号的特征字</translation>
    </message>
    <message>
        <source>%1, %2 KB (as named)</source>
        <translation>%1,%2 KB(按指定)</translation>
    </message>
    <message>
        <source>%1, %2 KB (assumed)</source>
        <translation>%1,%2 KB(假定)</translation>
    </message>
    <message>
        <source>%1, %2 KB</source>
        <translation>%1,%2 KB</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1:%2</translation>
    </message>
    <message>
        <source>The chip is unchanged.</source>
        <translation>芯片未改变。</translation>
    </message>
    <message>
        <source>The chip is erased.</source>
        <translation>芯片已擦除。</translation>
    </message>
    <message>
        <source>The chip is partly programmed.</source>
        <translation>芯片已部分编程。</translation>
    </message>
    <message>
        <source>The chip is programmed.</source>
        <translation>芯片已编程。</translation>
    </message>
    <message>
        <source> The failures share data line D%1: check it.</source>
        <translation> 失败都涉及数据线 D%1:请检查它。</translation>
    </message>
    <message>
        <source> The failures follow address line A%1: check it.</source>
        <translation> 失败与地址线 A%1 相关:请检查它。</translation>
    </message>
    <message>
        <source> SUM16 %1, CRC-32 %2.</source>
        <translation> SUM16 %1,CRC-32 %2。</translation>
    </message>
    <message>
        <source>Stopped at the next address.</source>
        <translation>已在下一地址停止。</translation>
    </message>
    <message>
        <source> %1 bytes programmed, %2 not reached.</source>
        <translation> 已编程 %1 字节,%2 字节未到达。</translation>
    </message>
    <message>
        <source>Refused: nothing was done to the chip.</source>
        <translation>已拒绝:芯片未做任何改动。</translation>
    </message>
    <message>
        <source>Write passed: %1 bytes programmed, %2 already right.</source>
        <translation>写入成功:编程 %1 字节,%2 字节原本正确。</translation>
    </message>
    <message>
        <source>Write FAILED: %1 bytes did not program.</source>
        <translation>写入失败:%1 字节未能编程。</translation>
    </message>
    <message>
        <source>Verify passed: all %1 bytes match.</source>
        <translation>校验成功:全部 %1 字节一致。</translation>
    </message>
    <message>
        <source>Verify FAILED: %1 of %2 bytes differ.</source>
        <translation>校验失败:%2 字节中有 %1 字节不同。</translation>
    </message>
    <message>
        <source>Read the chip.</source>
        <translation>已读取芯片。</translation>
    </message>
    <message>
        <source>Read FAILED.</source>
        <translation>读取失败。</translation>
    </message>
    <message>
        <source>Erased: every byte reads FF.</source>
        <translation>已擦除:每个字节读出均为 FF。</translation>
    </message>
    <message>
        <source>Erase FAILED: %1 bytes do not read FF.</source>
        <translation>擦除失败:%1 字节读出不是 FF。</translation>
    </message>
    <message>
        <source>The chip is blank.</source>
        <translation>芯片为空。</translation>
    </message>
    <message>
        <source>The chip is not blank: %1 bytes are not FF.</source>
        <translation>芯片非空:%1 字节不是 FF。</translation>
    </message>
    <message>
        <source>Passed.</source>
        <translation>成功。</translation>
    </message>
    <message>
        <source>FAILED.</source>
        <translation>失败。</translation>
    </message>
    <message>
        <source> %1 bytes read differently twice: the data lines are not stable; check the board&apos;s wiring and power.</source>
        <translation> %1 字节两次读出不同:数据线不稳定,请检查编程板的接线和电源。</translation>
    </message>
    <message>
        <source>The board is busy: another program is using it.</source>
        <translation>编程板正忙:另一个程序正在使用它。</translation>
    </message>
    <message>
        <source>No access to the ports: tarnwick needs an administrator, or the CAP_SYS_RAWIO capability.</source>
        <translation>无法访问端口:tarnwick 需要管理员权限,或 CAP_SYS_RAWIO 能力。</translation>
    </message>
    <message>
        <source>No chip answers: check that it sits in the socket, the right way round.</source>
        <translation>没有芯片应答:请检查芯片是否已按正确方向插入插座。</translation>
    </message>
    <message>
        <source>The signature names no known part: choose the part.</source>
        <translation>特征字不对应已知型号:请选择型号。</translation>
    </message>
    <message>
        <source>The chip in the socket is not the part of the run.</source>
        <translation>插座中的芯片不是本次运行的型号。</translation>
    </message>
    <message>
        <source>The data lines are not stable: check the board&apos;s wiring and power.</source>
        <translation>数据线不稳定:请检查编程板的接线和电源。</translation>
    </message>
    <message>
        <source>Stopped.</source>
        <translation>已停止。</translation>
    </message>
    <message>
        <source>The file cannot be used (tarnwick says: %1)</source>
        <translation>无法使用该文件(tarnwick 说:%1)</translation>
    </message>
    <message>
        <source>tarnwick refused its command line (it says: %1)</source>
        <translation>tarnwick 拒绝了命令行(它说:%1)</translation>
    </message>
    <message>
        <source>tarnwick says: %1</source>
        <translation>tarnwick 说:%1</translation>
    </message>
    <message>
        <source>tarnwick could not be started: %1</source>
        <translation>无法启动 tarnwick:%1</translation>
    </message>
    <message>
        <source>This tarnwick is too new: it writes events of version %1, and this program reads version %2. Install tarnwick and tarnwick-gui of one release.</source>
        <translation>此 tarnwick 太新:它输出第 %1 版事件,本程序读取第 %2 版。请安装同一版本的 tarnwick 和 tarnwick-gui。</translation>
    </message>
    <message>
        <source>This tarnwick is too old: it does not know --json. Install tarnwick and tarnwick-gui of one release.</source>
        <translation>此 tarnwick 太旧:它不支持 --json。请安装同一版本的 tarnwick 和 tarnwick-gui。</translation>
    </message>
    <message>
        <source>tarnwick ended without an event (exit code %1).</source>
        <translation>tarnwick 未输出任何事件就结束了(退出码 %1)。</translation>
    </message>
    <message>
        <source>tarnwick&apos;s events could not be read (%1); the run was stopped.</source>
        <translation>无法读取 tarnwick 的事件(%1);已停止运行。</translation>
    </message>
    <message>
        <source>Stopped: tarnwick ended at its next event. What the chip holds is not known.</source>
        <translation>已停止:tarnwick 在下一个事件处结束。芯片内容未知。</translation>
    </message>
    <message>
        <source>tarnwick was cut off before its end; what the chip holds is not known.</source>
        <translation>tarnwick 在结束前被中断;芯片内容未知。</translation>
    </message>
    <message>
        <source>No RTL8139 card, or no parallel port, was found.</source>
        <translation>没有找到 RTL8139 网卡,或没有找到并口。</translation>
    </message>
    <message>
        <source>A chip answers: the socket must be empty for this.</source>
        <translation>有芯片应答:此操作要求插座为空。</translation>
    </message>
    <message>
        <source>The serial numbers are used up: the next one does not fit its place in the chip.</source>
        <translation>序列号已用完:下一个序列号放不进芯片中它的位置。</translation>
    </message>
    <message>
        <source>The serial number file or the journal cannot be written: the run stopped before the next chip.</source>
        <translation>无法写入序列号文件或记录文件:运行已在下一个芯片之前停止。</translation>
    </message>
    <message>
        <source>%1 (tarnwick says: %2)</source>
        <translation>%1(tarnwick 说:%2)</translation>
    </message>
    <message>
        <source>The image&apos;s checksum is not the one expected.</source>
        <translation>映像的校验和与预期不符。</translation>
    </message>
    <message>
        <source>The serial number file cannot be used.</source>
        <translation>无法使用序列号文件。</translation>
    </message>
    <message>
        <source>The serial number&apos;s place cannot be used.</source>
        <translation>无法使用序列号的位置。</translation>
    </message>
    <message>
        <source>The trace was cut short.</source>
        <translation>跟踪记录被截断。</translation>
    </message>
    <message>
        <source>The file&apos;s bytes read as text.</source>
        <translation>该文件的字节读起来是文本。</translation>
    </message>
</context>
<context>
    <name>ProductionPanel</name>
    <message>
        <source>The serial number&apos;s address is not a hexadecimal number.</source>
        <translation>序列号地址不是十六进制数。</translation>
    </message>
    <message>
        <source>Name the file that keeps the next serial number.</source>
        <translation>请指定保存下一个序列号的文件。</translation>
    </message>
    <message>
        <source>Write a &amp;serial number into each chip</source>
        <translation>向每个芯片写入序列号(&amp;S)</translation>
    </message>
    <message>
        <source>hexadecimal, e.g. 0FF0</source>
        <translation>十六进制,例如 0FF0</translation>
    </message>
    <message>
        <source>binary, low byte first</source>
        <translation>二进制,低字节在前</translation>
    </message>
    <message>
        <source>binary, high byte first</source>
        <translation>二进制,高字节在前</translation>
    </message>
    <message>
        <source>packed BCD</source>
        <translation>压缩 BCD</translation>
    </message>
    <message>
        <source>ASCII digits</source>
        <translation>ASCII 数字</translation>
    </message>
    <message>
        <source>a failed chip&apos;s number is skipped</source>
        <translation>跳过失败芯片的序号</translation>
    </message>
    <message>
        <source>a failed chip&apos;s number is used again</source>
        <translation>重用失败芯片的序号</translation>
    </message>
    <message>
        <source>no limit</source>
        <translation>不限</translation>
    </message>
    <message>
        <source>S&amp;tart the production run</source>
        <translation>开始批量生产(&amp;T)</translation>
    </message>
    <message>
        <source>Not running.</source>
        <translation>未运行。</translation>
    </message>
    <message>
        <source>Chip</source>
        <translation>芯片</translation>
    </message>
    <message>
        <source>Serial</source>
        <translation>序列号</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>Seconds</source>
        <translation>秒</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Serial numbers</source>
        <translation>序列号</translation>
    </message>
    <message>
        <source>&amp;Address:</source>
        <translation>地址(&amp;A):</translation>
    </message>
    <message>
        <source>Si&amp;ze (bytes):</source>
        <translation>长度(字节)(&amp;Z):</translation>
    </message>
    <message>
        <source>&amp;Format:</source>
        <translation>格式(&amp;F):</translation>
    </message>
    <message>
        <source>&amp;Number file:</source>
        <translation>序号文件(&amp;N):</translation>
    </message>
    <message>
        <source>The serial number file</source>
        <translation>序列号文件</translation>
    </message>
    <message>
        <source>First &amp;number:</source>
        <translation>起始序号(&amp;N):</translation>
    </message>
    <message>
        <source>St&amp;ep:</source>
        <translation>步长(&amp;E):</translation>
    </message>
    <message>
        <source>On &amp;failure:</source>
        <translation>失败时(&amp;F):</translation>
    </message>
    <message>
        <source>&amp;Journal (CSV):</source>
        <translation>记录文件(CSV)(&amp;J):</translation>
    </message>
    <message>
        <source>The journal file</source>
        <translation>记录文件</translation>
    </message>
    <message>
        <source>Stop after (passing chips):</source>
        <translation>成功芯片数达到后停止:</translation>
    </message>
    <message>
        <source>Waiting for a chip in the socket.</source>
        <translation>等待插入芯片。</translation>
    </message>
    <message>
        <source>Ended: %1</source>
        <translation>已结束:%1</translation>
    </message>
    <message>
        <source>Chip %1 in the socket: %2.</source>
        <translation>芯片 %1 已插入:%2。</translation>
    </message>
    <message>
        <source>unknown part</source>
        <translation>未知型号</translation>
    </message>
    <message>
        <source>Chip %1 taken out: waiting for the next one.</source>
        <translation>芯片 %1 已取出:等待下一个。</translation>
    </message>
    <message>
        <source>PASS</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>FAIL</source>
        <translation>失败</translation>
    </message>
    <message>
        <source>wrong part</source>
        <translation>型号不符</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>已停止</translation>
    </message>
    <message>
        <source>after %1</source>
        <translation>%1 之后</translation>
    </message>
    <message>
        <source>-</source>
        <translation>-</translation>
    </message>
    <message>
        <source>Passed %1, failed %2, wrong part %3. Yield %4. Chips an hour: %5. Next serial number: %6.</source>
        <translation>成功 %1,失败 %2,型号不符 %3。良率 %4。每小时芯片数:%5。下一个序列号:%6。</translation>
    </message>
    <message>
        <source>St&amp;op at the next address</source>
        <translation>在下一地址停止(&amp;O)</translation>
    </message>
    <message>
        <source>Image:</source>
        <translation>映像:</translation>
    </message>
</context>
<context>
    <name>Programmer</name>
    <message>
        <source>Another run is going: wait for its end, or stop it.</source>
        <translation>另一个运行正在进行:请等待其结束,或停止它。</translation>
    </message>
    <message>
        <source>tarnwick was not found: install it, or name it with --tarnwick.</source>
        <translation>找不到 tarnwick:请安装它,或用 --tarnwick 指定。</translation>
    </message>
    <message>
        <source>Choose the simulated board&apos;s folder first.</source>
        <translation>请先选择模拟编程板的文件夹。</translation>
    </message>
    <message>
        <source>Open an image file first.</source>
        <translation>请先打开映像文件。</translation>
    </message>
    <message>
        <source>No temporary folder can be made for the image.</source>
        <translation>无法为映像创建临时文件夹。</translation>
    </message>
    <message>
        <source>The image cannot be handed to tarnwick: %1</source>
        <translation>无法将映像交给 tarnwick:%1</translation>
    </message>
    <message>
        <source>tarnwick read the chip, but its file cannot be read: %1</source>
        <translation>tarnwick 已读取芯片,但无法读取其文件:%1</translation>
    </message>
    <message>
        <source>the chip as read</source>
        <translation>读出的芯片</translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>完成。</translation>
    </message>
    <message>
        <source>tarnwick ended with exit code %1.</source>
        <translation>tarnwick 已结束,退出码 %1。</translation>
    </message>
    <message>
        <source>Real hardware needs pkexec (package pkexec) to ask for an administrator; or run this program as root, or give tarnwick the CAP_SYS_RAWIO capability.</source>
        <translation>真实硬件需要 pkexec(软件包 pkexec)来请求管理员授权;或以 root 身份运行本程序,或赋予 tarnwick CAP_SYS_RAWIO 能力。</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Reads, programs, verifies and erases 89C51-family chips through the tarnwick command line.</source>
        <translation>通过 tarnwick 命令行读取、编程、校验和擦除 89C51 系列芯片。</translation>
    </message>
    <message>
        <source>Drive the simulated board in DIR.</source>
        <translation>使用 DIR 中的模拟编程板。</translation>
    </message>
    <message>
        <source>DIR</source>
        <translation>目录</translation>
    </message>
    <message>
        <source>The tarnwick program to drive (default: the one beside this program, else on PATH).</source>
        <translation>要调用的 tarnwick 程序(默认:本程序旁边的,否则为 PATH 中的)。</translation>
    </message>
    <message>
        <source>PATH</source>
        <translation>路径</translation>
    </message>
    <message>
        <source>An image file to open.</source>
        <translation>要打开的映像文件。</translation>
    </message>
    <message>
        <source>[FILE]</source>
        <translation>[文件]</translation>
    </message>
</context>
</TS>

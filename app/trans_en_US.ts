<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>DevDebugWidget</name>
    <message>
        <source>Form</source>
        <translation>Factory debug</translation>
    </message>
    <message>
        <source>设备名称</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>读</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>写</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>序列号</source>
        <translation>Serial no.</translation>
    </message>
    <message>
        <source>TextLabel</source>
        <translation>TextLabel</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>PWM占空比</source>
        <translation>PWM duty</translation>
    </message>
    <message>
        <source>PWM频率</source>
        <translation>PWM freq.</translation>
    </message>
    <message>
        <source>到位PWM</source>
        <translation>End PWM</translation>
    </message>
    <message>
        <source>到位时间</source>
        <translation>End time</translation>
    </message>
</context>
<context>
    <name>ZentoWidget</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>设备列表：</source>
        <translation>Devices:</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>序列号：</source>
        <translation>Serial no.:</translation>
    </message>
    <message>
        <source>模式</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>手动</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>单次</source>
        <translation>Single</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>外部触发</source>
        <translation>Ext. trigger</translation>
    </message>
    <message>
        <source>操作</source>
        <translation>Operation</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>运行信息</source>
        <translation>Run information</translation>
    </message>
    <message>
        <source>电磁阀：</source>
        <translation>Valve:</translation>
    </message>
    <message>
        <source>打开时间：</source>
        <translation>Open time:</translation>
    </message>
    <message>
        <source>关闭时间：</source>
        <translation>Close time:</translation>
    </message>
    <message>
        <source>循环次数：</source>
        <translation>Cycles:</translation>
    </message>
    <message>
        <source>频率：</source>
        <translation>Frequency:</translation>
    </message>
    <message>
        <source>打开设备</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>调试</source>
        <translation>Debug</translation>
    </message>
    <message>
        <source>光学电动快门</source>
        <translation>Optical Motorised Shutter</translation>
    </message>
    <message>
        <source>打开设备失败</source>
        <translation>Failed to open the device</translation>
    </message>
    <message>
        <source>读取设备参数失败</source>
        <translation>Failed to read the device parameters</translation>
    </message>
    <message>
        <source>打开设备成功</source>
        <translation>Device opened</translation>
    </message>
    <message>
        <source>设置快门开状态失败</source>
        <translation>Failed to open the shutter</translation>
    </message>
    <message>
        <source>设置快门关状态失败</source>
        <translation>Failed to close the shutter</translation>
    </message>
    <message>
        <source>设置快门模式失败</source>
        <translation>Failed to set the shutter mode</translation>
    </message>
    <message>
        <source>检测到串口设备插入</source>
        <translation>A serial port was plugged in</translation>
    </message>
    <message>
        <source>串口设备被移除</source>
        <translation>The serial port was removed</translation>
    </message>
    <message>
        <source>运行</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
</context>
</TS>

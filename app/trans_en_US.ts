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
    <name>SettingsWidget</name>
    <message>
        <source>Form</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>设置</source>
        <comment>apply</comment>
        <translation>Set</translation>
    </message>
    <message>
        <source>ms</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>快门开时间：</source>
        <translation>Open time:</translation>
    </message>
    <message>
        <source>快门关时间</source>
        <translation>Close time</translation>
    </message>
    <message>
        <source>循环次数</source>
        <translation>Cycles</translation>
    </message>
    <message>
        <source>电磁阀类型：</source>
        <translation>Valve type:</translation>
    </message>
    <message>
        <source>KD08-40</source>
        <translation>KD08-40</translation>
    </message>
    <message>
        <source>KD2-40</source>
        <translation>KD2-40</translation>
    </message>
    <message>
        <source>初始状态：</source>
        <translation>Initial state:</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Closed</translation>
    </message>
    <message>
        <source>上升沿触发</source>
        <translation>Rising edge</translation>
    </message>
    <message>
        <source>下降沿触发</source>
        <translation>Falling edge</translation>
    </message>
    <message>
        <source>触发输入：</source>
        <translation>Trigger in:</translation>
    </message>
    <message>
        <source>高电平</source>
        <translation>High level</translation>
    </message>
    <message>
        <source>低电平</source>
        <translation>Low level</translation>
    </message>
    <message>
        <source>触发输出：</source>
        <translation>Trigger out:</translation>
    </message>
    <message>
        <source>IO2：</source>
        <translation>IO2:</translation>
    </message>
    <message>
        <source>触发输入</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>触发输出</source>
        <translation>Output</translation>
    </message>
    <message>
        <source>IO1：</source>
        <translation>IO1:</translation>
    </message>
    <message>
        <source>背光休眠时间：</source>
        <translation>Sleep after:</translation>
    </message>
    <message>
        <source>min</source>
        <translation>min</translation>
    </message>
    <message>
        <source>背光休眠亮度：</source>
        <translation>Sleep level:</translation>
    </message>
    <message>
        <source>背光亮度：</source>
        <translation>Brightness:</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>中文</translation>
    </message>
    <message>
        <source>English</source>
        <translation>English</translation>
    </message>
    <message>
        <source>软件版本：</source>
        <translation>Software:</translation>
    </message>
    <message>
        <source>V</source>
        <translation>V</translation>
    </message>
    <message>
        <source>嵌入式版本：</source>
        <translation>Firmware:</translation>
    </message>
    <message>
        <source>二次开发：</source>
        <translation>SDK:</translation>
    </message>
    <message>
        <source>Kivra 光学快门控制软件</source>
        <translation>Kivra shutter control software</translation>
    </message>
    <message>
        <source>软件说明书：</source>
        <translation>Manual:</translation>
    </message>
    <message>
        <source>查看</source>
        <translation>View</translation>
    </message>
    <message>
        <source>了解更多</source>
        <translation>Learn more</translation>
    </message>
    <message>
        <source>运行设置</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>触发设置</source>
        <translation>Trigger</translation>
    </message>
    <message>
        <source>亮度设置</source>
        <translation>Backlight</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>语言</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>读取设备参数失败</source>
        <translation>Failed to read the device parameters</translation>
    </message>
    <message>
        <source>设置设备参数失败</source>
        <translation>Failed to set the device parameters</translation>
    </message>
    <message>
        <source>设置设备参数成功</source>
        <translation>Device parameters set</translation>
    </message>
    <message>
        <source>保存语言设置失败</source>
        <translation>Failed to save the language setting</translation>
    </message>
</context>
<context>
    <name>ZentoWidget</name>
    <message>
        <source>Kivra</source>
        <translation>Kivra</translation>
    </message>
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
        <translation>Setup</translation>
    </message>
    <message>
        <source>序列号：</source>
        <translation>Serial no.: </translation>
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
        <translation>Auto</translation>
    </message>
    <message>
        <source>外部触发</source>
        <translation>Trigger</translation>
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
        <translation>On time:</translation>
    </message>
    <message>
        <source>关闭时间：</source>
        <translation>Off time:</translation>
    </message>
    <message>
        <source>循环次数：</source>
        <translation>Cycles:</translation>
    </message>
    <message>
        <source>频率：</source>
        <translation>Freq.:</translation>
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

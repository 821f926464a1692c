@echo off
rem Installs Velmora for the current user from the folder that holds this file:
rem registers velmora.dll with regsvr32, makes the add-in known to the IDE
rem for versions 7.0 and 7.1, and copies the starter configuration into
rem "%APPDATA%\Orinth\Velmora" without replacing any file that is already there.
rem Running it again repairs the registration and keeps every file the user has.
rem
rem Exit codes: 0 done, 1 velmora.dll is missing or its registration failed,
rem 2 an IDE key could not be written, 3 the configuration could not be copied.
rem
rem Every path stays quoted, so folder names with spaces, single quotes,
rem ampersands or parentheses work. Results are checked with "if errorlevel"
rem on their own line, and each starter file is copied by a subroutine, as
rem not every cmd runs a parenthesised block directly inside a for loop.
setlocal
set "here=%~dp0"
set "dll=%here%velmora.dll"

if not exist "%dll%" (
    echo install: "%dll%" was not found. 1>&2
    exit /b 1
)
regsvr32 /s "%dll%"
if errorlevel 1 (
    echo install: registering "%dll%" failed. Run install.cmd from an elevated command prompt. 1>&2
    exit /b 1
)
echo Registered "%dll%".

call :AddIdeKey 7.0
if errorlevel 1 exit /b 2
call :AddIdeKey 7.1
if errorlevel 1 exit /b 2

if not defined APPDATA (
    echo install: APPDATA is not set, so the configuration folder is unknown. 1>&2
    exit /b 3
)
set "config=%APPDATA%\Orinth\Velmora"
if not exist "%config%\" mkdir "%config%"
if not exist "%config%\" (
    echo install: the folder "%config%" could not be created. 1>&2
    exit /b 3
)
if not exist "%here%starter\" (
    echo install: the folder "%here%starter" was not found. 1>&2
    exit /b 3
)
set "copyFailed="
pushd "%here%starter"
for %%F in (*) do call :CopyStarterFile "%%F"
popd
if defined copyFailed exit /b 3
echo Configuration folder: "%config%"
exit /b 0

rem Writes the add-in's key for one IDE version, exit code 1 on failure.
:AddIdeKey
set "key=HKCU\Software\Microsoft\VisualStudio\%~1\AddIns\Velmora.Connect"
reg add "%key%" /v FriendlyName /t REG_SZ /d "Velmora" /f >nul
if errorlevel 1 goto IdeKeyFailed
reg add "%key%" /v Description /t REG_SZ /d "Code templates, GUID insertion and folder shortcuts for the editor" /f >nul
if errorlevel 1 goto IdeKeyFailed
reg add "%key%" /v LoadBehavior /t REG_DWORD /d 1 /f >nul
if errorlevel 1 goto IdeKeyFailed
reg add "%key%" /v CommandLineSafe /t REG_DWORD /d 0 /f >nul
if errorlevel 1 goto IdeKeyFailed
echo Added the IDE key "%key%".
exit /b 0
:IdeKeyFailed
echo install: writing "%key%" failed. 1>&2
exit /b 1

rem Copies one starter file from the current folder unless the user has one.
:CopyStarterFile
if exist "%config%\%~1" (
    echo Kept your %~1.
    exit /b 0
)
copy /b "%~1" "%config%\%~1" >nul
if errorlevel 1 (
    echo install: copying %~1 failed. 1>&2
    set "copyFailed=1"
    exit /b 0
)
echo Copied the starter %~1.
exit /b 0

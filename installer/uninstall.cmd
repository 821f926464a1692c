@echo off
rem Removes Velmora for the current user: deletes the add-in's IDE keys
rem for versions 7.0 and 7.1 and unregisters velmora.dll in the folder that holds
rem this file. The configuration folder "%APPDATA%\Orinth\Velmora" stays as it
rem is; delete it by hand if you no longer want it. Running it again when
rem nothing is installed any more succeeds and changes nothing.
rem
rem Exit codes: 0 done, 1 the add-in's COM registration could not be removed,
rem 2 an IDE key could not be removed.
setlocal
set "here=%~dp0"
set "dll=%here%velmora.dll"
set "clsid={96B79E67-A8A4-4B68-9BB5-7572B98C12E8}"
set "libid={1A4FDA34-CB3B-4835-9258-559A99D31FF8}"
set "result=0"
set "keyFound="

call :RemoveIdeKey 7.0
if errorlevel 1 set "result=2"
call :RemoveIdeKey 7.1
if errorlevel 1 set "result=2"

if not exist "%dll%" goto CheckRegistration
regsvr32 /s /u "%dll%"
if errorlevel 1 goto CheckRegistration
echo Unregistered "%dll%".
goto Done

rem regsvr32 also fails when there is nothing left to remove, so only keys
rem that are still there make this a failure. The class and type library keys
rem are looked for in the 32-bit view too, where a 32-bit DLL is registered on
rem 64-bit Windows.
:CheckRegistration
reg query "HKCR\Velmora.Connect" >nul 2>&1
if not errorlevel 1 goto StillRegistered
for %%K in ("CLSID\%clsid%" "TypeLib\%libid%") do call :FindKey "HKCR\%%~K"
if defined keyFound goto StillRegistered
echo Velmora was not registered.
goto Done
:StillRegistered
if not exist "%dll%" (
    echo uninstall: "%dll%" was not found, so its registration could not be removed. 1>&2
    exit /b 1
)
echo uninstall: unregistering "%dll%" failed. Run uninstall.cmd from an elevated command prompt. 1>&2
exit /b 1

:Done
if defined APPDATA echo Your configuration stays in "%APPDATA%\Orinth\Velmora".
exit /b %result%

rem Sets keyFound when the key exists in the default or the 32-bit view.
:FindKey
reg query "%~1" >nul 2>&1
if not errorlevel 1 set "keyFound=1"
reg query "%~1" /reg:32 >nul 2>&1
if not errorlevel 1 set "keyFound=1"
exit /b 0

rem Deletes the add-in's key for one IDE version if it exists, 1 on failure.
:RemoveIdeKey
set "key=HKCU\Software\Microsoft\VisualStudio\%~1\AddIns\Velmora.Connect"
reg query "%key%" >nul 2>&1
if errorlevel 1 exit /b 0
reg delete "%key%" /f >nul
if errorlevel 1 (
    echo uninstall: deleting "%key%" failed. 1>&2
    exit /b 1
)
echo Removed the IDE key "%key%".
exit /b 0

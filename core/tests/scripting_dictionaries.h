#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "quillo/testing/temporary_folder.h"

// Scripting dictionaries written for these tests, and real bundle folders that carry them.
namespace quillo::core::testing_dictionaries {

// A scripting host with an appearance object: a Boolean "dark mode", an enumerated accent, a
// read-only size, and an object the policy keeps out.
inline constexpr std::string_view kHost = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE dictionary SYSTEM "file://localhost/System/Library/DTDs/sdef.dtd">
<dictionary title="Host Terminology">
  <suite name="Host Suite" code="hsts" description="Settings of the host.">
    <enumeration name="accent tone" code="actn">
      <enumerator name="warm red" code="wred"/>
      <enumerator name="cool blue" code="cblu"/>
      <enumerator name="graphite" code="grph"/>
      <enumerator name="nameless"/>
    </enumeration>
    <class name="application" code="capp" description="The host.">
      <property name="appearance preferences" code="aprp" type="appearance preferences object" access="r"/>
      <property name="security preferences" code="secp" type="security preferences object" access="r"/>
      <property name="frontmost" code="pisf" type="boolean"/>
    </class>
    <class name="appearance preferences object" code="apro">
      <property name="dark mode" code="thme" type="boolean" description="Whether dark mode is on."/>
      <property name="accent" code="acnt" type="accent tone"/>
      <property name="font size" code="fsiz" type="integer" access="r"/>
    </class>
    <class name="security preferences object" code="seco">
      <property name="require password" code="rqpw" type="boolean"/>
    </class>
  </suite>
</dictionary>
)";

// A media player: commands of every shape, properties of the application and of an extension.
inline constexpr std::string_view kPlayer = R"(<?xml version="1.0" encoding="UTF-8"?>
<dictionary title="Player Terminology">
  <suite name="Standard Suite" code="????">
    <command name="close" code="coreclos"/>
    <command name="open location" code="aevtodoc"/>
    <command name="activate" code="miscactv"/>
  </suite>
  <suite name="Player Suite" code="plyr">
    <enumeration name="repeat mode">
      <enumerator name="off" code="rpof"/>
      <enumerator name="one song" code="rp1 "/>
      <enumerator name="all" code="rpal"/>
    </enumeration>
    <command name="play pause" code="plyrplps" description="Play or pause."/>
    <command name="next track" code="plyrnext"/>
    <command name="short" code="plyrsho"/>
    <command name="delete playlist" code="plyrdlpl"/>
    <command name="shuffle later" code="plyrshuf">
      <parameter name="delay" code="dely" type="integer" optional="yes"/>
    </command>
    <command name="jump" code="plyrjump">
      <direct-parameter type="integer"/>
    </command>
    <command name="seek" code="plyrseek">
      <parameter name="position" code="posn" type="integer"/>
    </command>
    <command name="rate" code="plyrrate">
      <parameter name="stars" code="star" type="integer"/>
      <parameter name="comment" code="cmnt" type="text"/>
    </command>
    <command name="describe" code="plyrdesc">
      <direct-parameter type="text"/>
    </command>
    <command name="secret knock" code="plyrsknk">
      <parameter name="knocks" code="knck" type="integer" hidden="yes"/>
    </command>
    <class name="application" code="capp">
      <property name="mute" code="pMut" type="boolean"/>
      <property name="sound volume" code="pVol">
        <type type="integer"/>
      </property>
      <property name="volumes" code="pVls">
        <type type="integer" list="yes"/>
      </property>
      <property name="playing" code="pPla" type="boolean" access="r"/>
      <property name="title" code="pTtl" type="text"/>
      <property name="hidden switch" code="pHid" type="boolean" hidden="yes"/>
    </class>
    <class-extension extends="application">
      <property name="repeat" code="pRpt" type="repeat mode" access="rw"/>
    </class-extension>
  </suite>
  <suite name="Internal Suite" code="intl" hidden="yes">
    <command name="rebuild cache" code="intlrbld"/>
  </suite>
</dictionary>
)";

// An application bundle at `folder`/`name`.app whose Info.plist names `dictionaryFile`.
inline std::filesystem::path makeBundle(const std::filesystem::path& folder, std::string_view name,
                                        std::string_view bundleID, std::string_view dictionaryFile,
                                        std::string_view dictionary) {
  std::filesystem::path bundle = folder / (std::string(name) + ".app");
  std::string plist = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>)" +
                      std::string(bundleID) + R"(</string>
<key>CFBundleName</key><string>)" +
                      std::string(name) + "</string>\n";
  if (!dictionaryFile.empty()) {
    plist += "<key>OSAScriptingDefinition</key><string>" + std::string(dictionaryFile) + "</string>\n";
  }
  plist += "</dict></plist>\n";
  quillo::testing::writeFile(bundle / "Contents" / "Info.plist", plist);
  std::filesystem::path file(dictionaryFile);
  if (!dictionaryFile.empty() && !file.has_extension()) file += ".sdef";
  if (!dictionaryFile.empty())
    quillo::testing::writeFile(bundle / "Contents" / "Resources" / file, dictionary);
  return bundle;
}

}  // namespace quillo::core::testing_dictionaries

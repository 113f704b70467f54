# The game view's fixture pack, written at build time by our own .srf writer from
# testbed/view/view_pack.py and laid out in DIR as the catalogue names its files
# (Resources\..., Ads\TestAd.srf); TARGET builds it.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

function(add_view_pack target dir)
  set(pack_json ${dir}/view_pack.json)
  set(pack_srf ${dir}/pack_srf)
  set(res ${dir}/Resources)
  add_custom_command(
    OUTPUT ${res}/Palette/Palette.srf ${res}/Animation/Intrfce.srf ${res}/Animation/Chance.srf ${res}/Animation/Options.srf ${res}/Animation/CPanel.srf
           ${res}/LanguageFilter.srf ${res}/Animation/Comp.srf ${res}/Animation/Final.srf
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/testbed/view/view_pack.py ${pack_json}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/testbed/srf/make_srf.py --batch ${pack_json} ${pack_srf}
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/Palette.srf ${res}/Palette/Palette.srf
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/Intrfce.srf ${res}/Animation/Intrfce.srf
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/Chance.srf ${res}/Animation/Chance.srf
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/CPanel.srf ${res}/Animation/CPanel.srf
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/LanguageFilter.srf ${res}/LanguageFilter.srf
    COMMAND ${CMAKE_COMMAND} -E make_directory ${res}/Sfx ${res}/Voice ${res}/Music ${dir}/Ads
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/StandBy.srf ${pack_srf}/AdClick.srf ${res}/Animation/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/AdClkSfx.srf ${res}/Sfx/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/TestAd.srf ${dir}/Ads/TestAd.srf
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/PixFrame.srf ${pack_srf}/TimerOn.srf ${pack_srf}/Zeravizuvu.srf ${pack_srf}/CopyFits.srf
            ${pack_srf}/Duzarezuri.srf ${pack_srf}/TabHeads.srf ${pack_srf}/SelectCaption.srf ${pack_srf}/OwnCaptionSelected.srf ${pack_srf}/Pencil.srf
            ${pack_srf}/Window.srf ${res}/Sfx/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/Go.srf ${pack_srf}/FinalRndIntro.srf
            ${pack_srf}/ZeravizuvuVoice1.srf ${pack_srf}/CopyFitsVoice1.srf ${pack_srf}/SlimerickVoiceA1.srf
            ${pack_srf}/TabHeadsVoice1.srf ${pack_srf}/HeresZuv.srf ${pack_srf}/ZeravizuvuVoice2.srf
            ${pack_srf}/CopyFitsVoice2.srf ${pack_srf}/SlimerickVoiceA2.srf ${pack_srf}/SlimerickVoiceB.srf
            ${pack_srf}/Poem1.srf ${pack_srf}/Poem2.srf ${pack_srf}/Poem3.srf ${pack_srf}/TabHeadsVoice2.srf
            ${pack_srf}/NobodyComposed.srf ${pack_srf}/NobodyComposed2.srf ${pack_srf}/VoteNow.srf
            ${pack_srf}/VoteChange.srf ${pack_srf}/NobodyVoted.srf ${pack_srf}/NobodyVoted2.srf ${pack_srf}/ShowVotes.srf
            ${pack_srf}/VoteTie.srf ${pack_srf}/ShowPoints1.srf ${pack_srf}/ShowPoints2.srf ${pack_srf}/ShowPoints3.srf
            ${pack_srf}/ShowNoVotes.srf
            ${pack_srf}/AdultLanguage.srf ${pack_srf}/Beginning.srf ${pack_srf}/ChooseForMe.srf ${pack_srf}/FindMyFriends.srf
            ${pack_srf}/FriendFound.srf ${pack_srf}/FriendFoundRoomFull.srf ${pack_srf}/FriendIsChoosing.srf
            ${pack_srf}/FriendNotFound.srf ${pack_srf}/KeepItClean.srf ${pack_srf}/LetMeChoose.srf ${pack_srf}/TryAgain.srf
            ${res}/Voice/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/FatChanceB.srf ${res}/Music/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/SwatchDownTurn.srf ${pack_srf}/SwatchSelected.srf ${res}/Sfx/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/FCOthers1.srf ${pack_srf}/FCOthers2.srf ${pack_srf}/FCOthers3.srf
            ${pack_srf}/FCWinner.srf ${pack_srf}/FCTooSlow1.srf ${pack_srf}/FCTooSlow2.srf ${pack_srf}/SecondHalf1.srf
            ${pack_srf}/SecondHalf2.srf ${pack_srf}/PlyrReceive1.srf ${pack_srf}/PlyrReceive2.srf
            ${pack_srf}/PlyrReceive3.srf ${pack_srf}/PlyrReceive4.srf ${pack_srf}/PlyrReceive6.srf
            ${pack_srf}/PlyrReceive8.srf ${pack_srf}/PlyrLose1.srf ${pack_srf}/PlyrLose2.srf ${pack_srf}/PlyrLose4.srf
            ${pack_srf}/YouReceive1.srf ${pack_srf}/YouReceive2.srf ${pack_srf}/YouReceive3.srf
            ${pack_srf}/YouReceive4.srf ${pack_srf}/YouReceive6.srf ${pack_srf}/YouReceive8.srf
            ${pack_srf}/YouLose1.srf ${pack_srf}/YouLose2.srf ${pack_srf}/YouLose4.srf ${res}/Voice/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/FatChanceC.srf ${pack_srf}/FatChanceNegFanfare.srf
            ${pack_srf}/WinFanfare.srf ${res}/Music/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/Comp.srf ${pack_srf}/Vizuzor.srf ${pack_srf}/Final.srf ${pack_srf}/Bill.srf
            ${pack_srf}/CopyF.srf ${pack_srf}/Slim.srf ${pack_srf}/TabH.srf ${pack_srf}/Vot.srf
            ${pack_srf}/Options.srf ${res}/Animation/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/CompInstrLoop.srf ${pack_srf}/VotingA.srf ${pack_srf}/VotingB.srf
            ${pack_srf}/VotingC.srf ${pack_srf}/VotingD.srf ${pack_srf}/VotingE.srf ${pack_srf}/VotingF.srf
            ${pack_srf}/VotingG.srf ${pack_srf}/VotingH.srf ${pack_srf}/VotingI.srf ${pack_srf}/VotingJ.srf
            ${pack_srf}/VotingK.srf ${pack_srf}/VotingL.srf ${pack_srf}/VotingM.srf ${pack_srf}/VotingN.srf
            ${pack_srf}/VotingO.srf ${pack_srf}/WinFanfare.srf ${pack_srf}/FatChanceNegFanfare.srf ${res}/Music/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/RoundLosersFC.srf ${pack_srf}/RoundWinnerFC.srf
            ${pack_srf}/RoundLosers1.srf ${pack_srf}/RoundLosers2.srf ${pack_srf}/RoundWinner1.srf
            ${pack_srf}/RoundWinner2.srf ${pack_srf}/RoundWinner3.srf ${pack_srf}/NoWinner1.srf
            ${pack_srf}/NoWinner2.srf ${pack_srf}/NoWinner3.srf ${res}/Voice/
    DEPENDS ${PROJECT_SOURCE_DIR}/testbed/view/view_pack.py ${PROJECT_SOURCE_DIR}/testbed/srf/make_srf.py
    COMMENT "Writing the game view's fixture pack in ${dir}"
    VERBATIM)
  add_custom_target(${target} DEPENDS ${res}/Animation/Intrfce.srf)
endfunction()

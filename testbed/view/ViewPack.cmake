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
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/LongAd.srf ${dir}/Ads/LongAd.srf
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
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/CompInstrLoop.srf ${pack_srf}/CompA.srf ${pack_srf}/CompB.srf
            ${pack_srf}/CompC.srf ${pack_srf}/CompD.srf ${pack_srf}/CompE.srf ${pack_srf}/CompF.srf ${pack_srf}/CompG.srf
            ${pack_srf}/CompH.srf ${pack_srf}/CompI.srf ${pack_srf}/CompJ.srf ${pack_srf}/CompK.srf ${pack_srf}/CompL.srf
            ${pack_srf}/CompM.srf ${res}/Music/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/CaptionEntered.srf ${res}/Sfx/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/Wrap.srf ${res}/Animation/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/WrapUp.srf ${pack_srf}/FatChanceNegFanfare.srf ${res}/Music/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/GameOver10to20.srf ${pack_srf}/GameOver21Plus.srf
            ${pack_srf}/GameOver5orLess.srf ${pack_srf}/GameOverDefault.srf ${pack_srf}/GameOverNoWinner.srf
            ${pack_srf}/GameOverNoWinner2.srf ${pack_srf}/WeHaveTie.srf ${pack_srf}/WeHaveWinner.srf ${res}/Voice/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/Applause.srf ${res}/Sfx/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/SegA1.srf ${pack_srf}/Instr.srf ${pack_srf}/Quonza.srf ${pack_srf}/Intro.srf ${res}/Animation/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/AdBreakA.srf ${pack_srf}/AdBreakB.srf ${pack_srf}/AdBreakB2.srf
            ${pack_srf}/QuonzaM.srf ${pack_srf}/Title.srf ${res}/Music/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/R3Intro.srf ${pack_srf}/R3Extro.srf ${pack_srf}/Instructions.srf
            ${pack_srf}/Skip1.srf ${pack_srf}/Skip2.srf ${pack_srf}/Skip3.srf ${pack_srf}/Skip4.srf
            ${pack_srf}/Welcome1.srf ${pack_srf}/Welcome2.srf ${pack_srf}/Welcome3.srf
            ${pack_srf}/R6Intro.srf ${pack_srf}/R6Extro.srf ${pack_srf}/FinalIntro.srf ${pack_srf}/FinalExtro1.srf
            ${pack_srf}/FinalExtro2.srf ${pack_srf}/FinalExtro3.srf ${pack_srf}/FinalExtro4.srf ${res}/Voice/
    COMMAND ${CMAKE_COMMAND} -E copy ${pack_srf}/Skip.srf ${pack_srf}/Flash.srf ${pack_srf}/BuildingCrash.srf
            ${pack_srf}/Cloth.srf ${pack_srf}/Applause.srf ${pack_srf}/FootStomp.srf ${pack_srf}/TurdSplat.srf
            ${pack_srf}/Jabba.srf ${pack_srf}/Clock.srf ${res}/Sfx/
    DEPENDS ${PROJECT_SOURCE_DIR}/testbed/view/view_pack.py ${PROJECT_SOURCE_DIR}/testbed/srf/make_srf.py
    COMMENT "Writing the game view's fixture pack in ${dir}"
    VERBATIM)
  add_custom_target(${target} DEPENDS ${res}/Animation/Intrfce.srf)
endfunction()
